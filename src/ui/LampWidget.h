#pragma once

#include <QWidget>

#include "ui/Pictures.h"

namespace ostrivane {

// One of the status bar's activity lamps: a small square, white when off.
class LampWidget final : public QWidget {
  Q_OBJECT

 public:
  LampWidget(Picture litPicture, QWidget* parent);

  void SetLit(bool lit);
  bool IsLit() const { return m_lit; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Picture m_litPicture;
  bool m_lit = false;
};

}  // namespace ostrivane
