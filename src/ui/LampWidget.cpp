#include "ui/LampWidget.h"

#include <QPainter>

namespace ostrivane {

namespace {
constexpr int kLampSide = 10;
}

LampWidget::LampWidget(Picture litPicture, QWidget* parent)
    : QWidget(parent), m_litPicture(litPicture) {
  setFixedSize(sizeHint());
}

void LampWidget::SetLit(bool lit) {
  if (m_lit == lit) return;
  m_lit = lit;
  // Lamps flash around requests that block the window, so they are painted at once: waiting for
  // the event loop would show nothing until the request is over.
  if (isVisible()) {
    repaint();
  } else {
    update();
  }
}

QSize LampWidget::sizeHint() const {
  return {kLampSide, kLampSide};
}

void LampWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintPicture(painter, m_lit ? m_litPicture : Picture::LampOff, rect(), palette());
}

}  // namespace ostrivane
