#include "ui/ColouredTabBar.h"

#include <QPainter>
#include <QSignalBlocker>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <algorithm>

#include "ui/Theme.h"

namespace ostrivane {

const QColor ColouredTabBar::kBackground(248, 248, 255);
const QColor ColouredTabBar::kRoyalBlue(65, 105, 225);
const QColor ColouredTabBar::kLimeGreen(50, 205, 50);
const QColor ColouredTabBar::kSilver(192, 192, 192);
const QColor ColouredTabBar::kOrange(255, 165, 0);
const QColor ColouredTabBar::kDarkRed(192, 0, 0);

namespace {
constexpr int kWidthAllowance = 5;
constexpr int kTextPadding = 16;
constexpr int kHeightPadding = 10;
constexpr int kFocusInset = 3;
}  // namespace

ColouredTabBar::ColouredTabBar(ColourRule colourOf, QWidget* parent)
    : QTabBar(parent), m_colourOf(std::move(colourOf)) {
  setDrawBase(false);
  setExpanding(true);
  setUsesScrollButtons(false);
  setElideMode(Qt::ElideRight);
  setFocusPolicy(Qt::StrongFocus);
}

void ColouredTabBar::SetItems(const QStringList& labels) {
  const QSignalBlocker quiet(this);
  while (count() > 0) removeTab(count() - 1);
  for (const QString& label : labels) addTab(label);
}

void ColouredTabBar::SelectQuietly(int index) {
  const QSignalBlocker quiet(this);
  setCurrentIndex(index);
}

int ColouredTabBar::MinimumTabWidth() const {
  return count() > 0 ? std::max(0, (width() - kWidthAllowance) / count()) : 0;
}

QSize ColouredTabBar::tabSizeHint(int index) const {
  const int natural = fontMetrics().horizontalAdvance(tabText(index)) + kTextPadding;
  return {std::max(natural, MinimumTabWidth()), fontMetrics().height() + kHeightPadding};
}

QSize ColouredTabBar::minimumTabSizeHint(int index) const {
  return {fontMetrics().horizontalAdvance(tabText(index)) + kTextPadding,
          fontMetrics().height() + kHeightPadding};
}

void ColouredTabBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QColor background = StripBackground(palette());
  // The described colours on a light palette; on a dark one each is checked against its strip.
  const bool dark = IsDarkPalette(palette());
  for (int i = 0; i < count(); ++i) {
    const QRect box = tabRect(i);
    const QColor colour = m_colourOf(i);
    const bool selected = i == currentIndex();
    painter.fillRect(box, selected ? colour : background);
    painter.setPen(selected ? QColor(Qt::white) : dark ? Readable(colour, background) : colour);
    const QString text = fontMetrics().elidedText(tabText(i), Qt::ElideRight, box.width() - 4);
    painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, text);
    if (selected && hasFocus()) {
      QStyleOptionFocusRect focus;
      focus.initFrom(this);
      focus.rect = box.adjusted(kFocusInset, kFocusInset, -kFocusInset, -kFocusInset);
      focus.backgroundColor = colour;
      style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
  }
}

}  // namespace ostrivane
