#pragma once

#include <QSize>

class QWidget;

namespace ostrivane {

// The panel's page area is placed by these two numbers, measured once when the window starts.
struct DisplayScale {
  double ratio = 1.0;  // DisplayScaleRatio: logical DPI of the screen / 96
  double step = 1.0;   // DisplayScaleStep: the ratio rounded to the steps the layout knows
};

// 1.8 from 1.6 on, 1.5 from 1.45, 1.25 from 1.16, otherwise the ratio itself.
double DisplayScaleStepFor(double ratio);

// Scale of the screen the widget is on (the primary screen while it has none).
DisplayScale MeasureDisplayScale(const QWidget& widget);

// How the window meets its screen: at its described size where that fits the available area;
// otherwise no larger than the area, its pages scrolled, and resizable down to it.
struct ScreenFit {
  QSize window;
  bool scrolls = false;
};
ScreenFit FitToScreen(QSize needed, QSize available);

// The screen area a window's client may take on the screen the widget is on: its available
// geometry less the window frame.
QSize AvailableClientSize(const QWidget& widget);

}  // namespace ostrivane
