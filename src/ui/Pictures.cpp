#include "ui/Pictures.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>
#include <iterator>
#include <numbers>

#include "ui/Theme.h"

namespace ostrivane {

namespace {

// Pictures are drawn on a 100 x 100 grid.
constexpr qreal kGrid = 100.0;
constexpr qreal kDisabledOpacity = 0.35;

const QColor kPlayBlue(30, 80, 220);
const QColor kRecordRed(220, 20, 20);
const QColor kPlusGreen(30, 170, 40);
const QColor kOutline(60, 60, 60);
const QColor kRoyalBlue(65, 105, 225);
const QColor kNavy(25, 45, 120);

QPen Pen(const QColor& colour, qreal width) {
  return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Lines and lone shapes that stand on the window itself go through this; fills inside an outline
// and marks on a picture's own surface keep their colour.
class Ink {
 public:
  explicit Ink(const QPalette& palette) : m_palette(palette) {}
  QColor operator()(const QColor& colour) const { return PictureInk(colour, m_palette); }

 private:
  const QPalette& m_palette;
};

void Square(QPainter& p, const Ink& ink, const QColor& fill) {
  p.setPen(Pen(ink(kOutline), 8));
  p.setBrush(fill);
  p.drawRect(QRectF(8, 8, 84, 84));
}

void PlayTriangle(QPainter& p, const Ink& ink, const QRectF& box) {
  QPainterPath path;
  path.moveTo(box.left(), box.top());
  path.lineTo(box.right(), box.center().y());
  path.lineTo(box.left(), box.bottom());
  path.closeSubpath();
  p.setPen(Pen(ink(kPlayBlue.darker(130)), 4));
  p.setBrush(ink(kPlayBlue));
  p.drawPath(path);
}

void RedDot(QPainter& p, const Ink& ink, const QRectF& box) {
  p.setPen(Pen(ink(kRecordRed.darker(130)), 4));
  p.setBrush(ink(kRecordRed));
  p.drawEllipse(box);
}

void GreenPlus(QPainter& p, const Ink& ink) {
  p.setPen(Pen(ink(kPlusGreen), 12));
  p.drawLine(QPointF(74, 52), QPointF(74, 92));
  p.drawLine(QPointF(54, 72), QPointF(94, 72));
}

void Application(QPainter& p, const Ink&) {
  QLinearGradient fill(0, 0, 0, kGrid);
  fill.setColorAt(0, kRoyalBlue);
  fill.setColorAt(1, kNavy);
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(4, 4, 92, 92), 18, 18);
  // Mast with its waves: the picture of a box that broadcasts.
  p.setPen(Pen(Qt::white, 6));
  p.setBrush(Qt::NoBrush);
  p.drawLine(QPointF(50, 26), QPointF(50, 50));
  p.drawArc(QRectF(39, 15, 22, 22), 30 * 16, 120 * 16);
  p.drawArc(QRectF(30, 6, 40, 40), 35 * 16, 110 * 16);
  QPainterPath wave;
  wave.moveTo(14, 72);
  for (int x = 14; x <= 86; x += 2) {
    const qreal phase = (x - 14) / 36.0 * std::numbers::pi;
    wave.lineTo(x, 72 - 12 * std::sin(phase));
  }
  p.setPen(Pen(Qt::white, 7));
  p.drawPath(wave);
}

void Warning(QPainter& p, const Ink& ink) {
  QPainterPath triangle;
  triangle.moveTo(50, 6);
  triangle.lineTo(96, 90);
  triangle.lineTo(4, 90);
  triangle.closeSubpath();
  p.setPen(Pen(ink(QColor(160, 0, 0)), 6));
  p.setBrush(QColor(230, 0, 0));
  p.drawPath(triangle);
  p.setPen(Pen(Qt::white, 11));
  p.drawLine(QPointF(50, 34), QPointF(50, 62));
  p.drawPoint(QPointF(50, 77));
}

void LogDownload(QPainter& p, const Ink& ink) {
  QPainterPath page;
  page.moveTo(16, 6);
  page.lineTo(58, 6);
  page.lineTo(78, 26);
  page.lineTo(78, 94);
  page.lineTo(16, 94);
  page.closeSubpath();
  p.setPen(Pen(ink(kOutline), 4));
  p.setBrush(Qt::white);
  p.drawPath(page);
  p.setPen(Pen(QColor(150, 150, 150), 4));
  for (int y = 34; y <= 58; y += 12) p.drawLine(QPointF(26, y), QPointF(66, y));
  p.setPen(Pen(ink(kPlusGreen), 10));
  p.drawLine(QPointF(72, 52), QPointF(72, 86));
  p.drawLine(QPointF(58, 72), QPointF(72, 88));
  p.drawLine(QPointF(86, 72), QPointF(72, 88));
}

void Chip(QPainter& p, const Ink& ink) {
  p.setPen(Pen(ink(QColor(120, 120, 120)), 5));
  for (int y = 24; y <= 76; y += 13) {
    p.drawLine(QPointF(6, y), QPointF(20, y));
    p.drawLine(QPointF(80, y), QPointF(94, y));
  }
  p.setPen(Pen(ink(QColor(20, 20, 20)), 3));
  p.setBrush(QColor(45, 45, 50));
  p.drawRoundedRect(QRectF(18, 12, 64, 76), 6, 6);
  // A note: the repair is about the sound of the HDMI input.
  p.setPen(Pen(Qt::white, 5));
  p.setBrush(Qt::white);
  p.drawEllipse(QRectF(34, 60, 14, 11));
  p.drawLine(QPointF(47, 65), QPointF(47, 28));
  p.drawLine(QPointF(47, 28), QPointF(64, 36));
}

void UsbKey(QPainter& p, const Ink& ink) {
  p.setPen(Pen(ink(kOutline), 4));
  p.setBrush(QColor(70, 110, 200));
  p.drawRoundedRect(QRectF(6, 30, 58, 40), 8, 8);
  p.setBrush(QColor(210, 210, 215));
  p.drawRect(QRectF(64, 36, 30, 28));
  p.setBrush(kOutline);
  p.drawRect(QRectF(72, 44, 6, 5));
  p.drawRect(QRectF(82, 44, 6, 5));
}

void Clock(QPainter& p, const Ink& ink) {
  p.setPen(Pen(ink(kOutline), 7));
  p.setBrush(Qt::white);
  p.drawEllipse(QRectF(8, 8, 84, 84));
  p.setPen(Pen(kOutline, 7));
  p.drawLine(QPointF(50, 50), QPointF(50, 24));
  p.drawLine(QPointF(50, 50), QPointF(68, 60));
}

void LevelRamp(QPainter& p, const Ink& ink) {
  QPainterPath ramp;
  ramp.moveTo(6, 90);
  ramp.lineTo(94, 90);
  ramp.lineTo(94, 12);
  ramp.closeSubpath();
  QLinearGradient fill(0, 0, kGrid, 0);
  fill.setColorAt(0, QColor(200, 230, 200));
  fill.setColorAt(1, QColor(20, 140, 40));
  p.setPen(Pen(ink(kOutline), 3));
  p.setBrush(fill);
  p.drawPath(ramp);
}

void Screen(QPainter& p, const Ink& ink) {
  p.setPen(Pen(ink(kOutline), 6));
  p.setBrush(QColor(200, 225, 250));
  p.drawRoundedRect(QRectF(6, 10, 88, 60), 4, 4);
  p.drawLine(QPointF(50, 70), QPointF(50, 84));
  p.drawLine(QPointF(30, 88), QPointF(70, 88));
}

void DoubleArrow(QPainter& p, const Ink& ink) {
  p.setPen(Pen(ink(kOutline), 8));
  p.drawLine(QPointF(10, 50), QPointF(90, 50));
  p.drawLine(QPointF(10, 50), QPointF(28, 34));
  p.drawLine(QPointF(10, 50), QPointF(28, 66));
  p.drawLine(QPointF(90, 50), QPointF(72, 34));
  p.drawLine(QPointF(90, 50), QPointF(72, 66));
}

void LampOff(QPainter& p, const Ink& ink) {
  Square(p, ink, Qt::white);
}
void LampActivity(QPainter& p, const Ink& ink) {
  Square(p, ink, QColor(0, 200, 0));
}
void LampWrite(QPainter& p, const Ink& ink) {
  Square(p, ink, QColor(230, 0, 0));
}
void Play(QPainter& p, const Ink& ink) {
  PlayTriangle(p, ink, QRectF(18, 10, 68, 80));
}
void Record(QPainter& p, const Ink& ink) {
  RedDot(p, ink, QRectF(12, 12, 76, 76));
}

void Stop(QPainter& p, const Ink& ink) {
  p.setPen(Qt::NoPen);
  p.setBrush(ink(Qt::black));
  p.drawRect(QRectF(14, 14, 72, 72));
}

void AddPlay(QPainter& p, const Ink& ink) {
  PlayTriangle(p, ink, QRectF(6, 6, 52, 60));
  GreenPlus(p, ink);
}

void AddRecord(QPainter& p, const Ink& ink) {
  RedDot(p, ink, QRectF(6, 6, 56, 56));
  GreenPlus(p, ink);
}

void Remove(QPainter& p, const Ink& ink) {
  p.setPen(Pen(ink(kRecordRed), 16));
  p.drawLine(QPointF(16, 50), QPointF(84, 50));
}

// In the order of the Picture enumeration.
using Painter = void (*)(QPainter&, const Ink&);
constexpr Painter kPainters[] = {
    Application, Warning,   LogDownload, LampOff,   LampActivity, LampWrite,
    Chip,        UsbKey,    Clock,       Play,      Record,       Stop,
    AddPlay,     AddRecord, Remove,      LevelRamp, Screen,       DoubleArrow,
};
static_assert(std::size(kPainters) == static_cast<std::size_t>(Picture::DoubleArrow) + 1);

void Draw(QPainter& p, Picture picture, const Ink& ink) {
  const auto index = static_cast<std::size_t>(picture);
  if (index < std::size(kPainters)) kPainters[index](p, ink);
}

// Paints through a function at whatever size Qt asks for, so icons stay crisp at every scale.
class PaintedIconEngine final : public QIconEngine {
 public:
  explicit PaintedIconEngine(PicturePainter painter) : m_painter(std::move(painter)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    painter->save();
    if (mode == QIcon::Disabled) painter->setOpacity(kDisabledOpacity);
    m_painter(*painter, rect);
    painter->restore();
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return pixmap;
  }

  // QIcon passes the size in device pixels already; it sets the ratio on the result itself.
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal) override {
    return pixmap(size, mode, state);
  }

  QIconEngine* clone() const override { return new PaintedIconEngine(m_painter); }
  QString key() const override { return QStringLiteral("ostrivane-painted"); }

 private:
  PicturePainter m_painter;
};

}  // namespace

QColor PictureInk(const QColor& colour, const QPalette& palette) {
  return IsDarkPalette(palette) ? Readable(colour, palette.color(QPalette::Window)) : colour;
}

void PaintPicture(QPainter& painter, Picture picture, const QRectF& rect) {
  PaintPicture(painter, picture, rect, QGuiApplication::palette());
}

void PaintPicture(QPainter& painter, Picture picture, const QRectF& rect, const QPalette& palette) {
  const qreal side = std::min(rect.width(), rect.height());
  if (side <= 0) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(rect.center().x() - side / 2, rect.center().y() - side / 2);
  painter.scale(side / kGrid, side / kGrid);
  Draw(painter, picture, Ink(palette));
  painter.restore();
}

QIcon PaintedIcon(PicturePainter painter) {
  return QIcon(new PaintedIconEngine(std::move(painter)));
}

QIcon PictureIcon(Picture picture) {
  return PaintedIcon(
      [picture](QPainter& p, const QRectF& rect) { PaintPicture(p, picture, rect); });
}

}  // namespace ostrivane
