#pragma once

#include <QIcon>
#include <QWidget>

#include "ui/Pictures.h"

namespace ostrivane {

// The schedule header pictures that only the USB page shows.
enum class SchedulePicture {
  StartMarker,  // start marker on a time bar
  StopMarker,   // stop marker on a time bar
  Week,         // a "7" and seven day boxes
};

QIcon SchedulePictureIcon(SchedulePicture picture);

// A static picture of a page: painted at whatever size and pixel ratio the widget has, greyed
// while disabled, never focused.
class PictureBox final : public QWidget {
  Q_OBJECT

 public:
  PictureBox(const QIcon& icon, QSize size, QWidget* parent);

  QSize sizeHint() const override { return m_size; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QIcon m_icon;
  QSize m_size;
};

}  // namespace ostrivane
