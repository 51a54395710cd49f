#include "ui/Theme.h"

#include <algorithm>
#include <cmath>

#include "ui/ColouredTabBar.h"

namespace ostrivane {

namespace {

constexpr int kMaxSteps = 12;
constexpr int kStepFactor = 125;  // percent

double Channel(double value) {
  return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& colour) {
  return 0.2126 * Channel(colour.redF()) + 0.7152 * Channel(colour.greenF()) +
         0.0722 * Channel(colour.blueF());
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool IsDarkPalette(const QPalette& palette) {
  return Luminance(palette.color(QPalette::Window)) <
         Luminance(palette.color(QPalette::WindowText));
}

QColor StripBackground(const QPalette& palette) {
  return IsDarkPalette(palette) ? palette.color(QPalette::Base) : ColouredTabBar::kBackground;
}

QColor Readable(const QColor& colour, const QColor& background, double minimumRatio) {
  const bool darkBackground = Luminance(background) < 0.5;
  QColor result = colour;
  for (int step = 0; step < kMaxSteps && ContrastRatio(result, background) < minimumRatio; ++step) {
    // A pure colour cannot be lightened by scaling alone: mixed towards white (or black) instead.
    const QColor target = darkBackground ? QColor(Qt::white) : QColor(Qt::black);
    const float share = 1.0F - 100.0F / kStepFactor;
    const auto mix = [share](float from, float to) { return from + (to - from) * share; };
    result =
        QColor::fromRgbF(mix(result.redF(), target.redF()), mix(result.greenF(), target.greenF()),
                         mix(result.blueF(), target.blueF()));
  }
  return result;
}

}  // namespace ostrivane
