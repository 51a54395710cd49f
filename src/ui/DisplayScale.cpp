#include "ui/DisplayScale.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace ostrivane {

namespace {
constexpr double kReferenceDpi = 96.0;

struct ScaleStep {
  double from;
  double step;
};
constexpr ScaleStep kSteps[] = {{1.6, 1.8}, {1.45, 1.5}, {1.16, 1.25}};
}  // namespace

double DisplayScaleStepFor(double ratio) {
  for (const ScaleStep& s : kSteps) {
    if (ratio >= s.from) return s.step;
  }
  return ratio;
}

DisplayScale MeasureDisplayScale(const QWidget& widget) {
  const QScreen* screen = widget.screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  DisplayScale scale;
  // Without any screen (should not happen) the layout falls back to the 96 DPI geometry.
  if (screen != nullptr && screen->logicalDotsPerInch() > 0) {
    scale.ratio = screen->logicalDotsPerInch() / kReferenceDpi;
  }
  scale.step = DisplayScaleStepFor(scale.ratio);
  return scale;
}

}  // namespace ostrivane
