#include "ui/pages/UsbPictures.h"

#include "ui/Pictures.h"

#include <QGuiApplication>
#include <QPainter>
#include <algorithm>

namespace ostrivane {

namespace {

// Drawn on a 100 x 100 grid like the window's other pictures.
constexpr qreal kGrid = 100.0;
const QColor kOutline(60, 60, 60);
const QColor kBar(200, 200, 205);
const QColor kStartGreen(30, 160, 40);
const QColor kStopRed(210, 30, 30);
const QColor kDayBlue(70, 110, 200);

QPen Pen(const QColor& colour, qreal width) {
  return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// On a dark palette the lines that stand on the window are lightened (see PictureInk).
QColor Outline() {
  return PictureInk(kOutline, QGuiApplication::palette());
}

void TimeBar(QPainter& p) {
  p.setPen(Pen(Outline(), 4));
  p.setBrush(kBar);
  p.drawRect(QRectF(6, 58, 88, 18));
  for (int x = 20; x <= 80; x += 15) p.drawLine(QPointF(x, 58), QPointF(x, 66));
}

// A flag on a pole standing on the bar at x.
void Marker(QPainter& p, qreal x, const QColor& colour, bool pointsRight) {
  p.setPen(Pen(Outline(), 5));
  p.drawLine(QPointF(x, 84), QPointF(x, 12));
  QPolygonF flag;
  const qreal tip = pointsRight ? x + 30 : x - 30;
  flag << QPointF(x, 12) << QPointF(tip, 24) << QPointF(x, 36);
  p.setPen(Pen(colour.darker(130), 3));
  p.setBrush(colour);
  p.drawPolygon(flag);
}

void Week(QPainter& p) {
  QFont font;
  font.setPixelSize(44);
  font.setBold(true);
  p.setFont(font);
  p.setPen(Outline());
  p.drawText(QRectF(0, 0, kGrid, 52), Qt::AlignCenter, QStringLiteral("7"));
  p.setPen(Pen(Outline(), 2));
  for (int day = 0; day < 7; ++day) {
    p.setBrush(day < 5 ? kDayBlue : kStopRed);
    p.drawRect(QRectF(4 + day * 13.2, 62, 10, 16));
  }
}

void Draw(QPainter& p, SchedulePicture picture) {
  switch (picture) {
    case SchedulePicture::StartMarker:
      TimeBar(p);
      Marker(p, 30, kStartGreen, true);
      break;
    case SchedulePicture::StopMarker:
      TimeBar(p);
      Marker(p, 70, kStopRed, false);
      break;
    case SchedulePicture::Week:
      Week(p);
      break;
  }
}

}  // namespace

QIcon SchedulePictureIcon(SchedulePicture picture) {
  return PaintedIcon([picture](QPainter& p, const QRectF& rect) {
    const qreal side = std::min(rect.width(), rect.height());
    if (side <= 0) return;
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(rect.center().x() - side / 2, rect.center().y() - side / 2);
    p.scale(side / kGrid, side / kGrid);
    Draw(p, picture);
  });
}

PictureBox::PictureBox(const QIcon& icon, QSize size, QWidget* parent)
    : QWidget(parent), m_icon(icon), m_size(size) {
  setFixedSize(size);
  setFocusPolicy(Qt::NoFocus);
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  m_icon.paint(&painter, rect(), Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
}

}  // namespace ostrivane
