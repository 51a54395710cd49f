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

ScreenFit FitToScreen(QSize needed, QSize available) {
  if (available.isEmpty() ||
      (needed.width() <= available.width() && needed.height() <= available.height())) {
    return {needed, false};
  }
  return {needed.boundedTo(available), true};
}

QSize AvailableClientSize(const QWidget& widget) {
  const QScreen* screen = widget.screen() ? widget.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return {};
  // Before the window is first shown its frame is unknown: a title bar's worth is kept free.
  constexpr int kFrameAllowance = 40;
  const QRect frame = widget.frameGeometry();
  const QRect client = widget.geometry();
  const QSize margins =
      widget.isVisible() ? frame.size() - client.size() : QSize(0, kFrameAllowance);
  return screen->availableGeometry().size() - margins;
}

}  // namespace ostrivane
