#pragma once

#include <QColor>
#include <QPalette>

namespace ostrivane {

// Contrast ratio of two colours (1 to 21) by their relative luminance, as readability
// guidelines measure it.
double ContrastRatio(const QColor& a, const QColor& b);
// A palette whose window colour is darker than its text.
bool IsDarkPalette(const QPalette& palette);
// The described ghost white where the palette is light; the palette's base colour where it is
// dark, so a strip never stays white in a dark window.
QColor StripBackground(const QPalette& palette);
// colour itself when it stands out enough from background; otherwise lightened (on a dark
// background) or darkened (on a light one) until it does.
QColor Readable(const QColor& colour, const QColor& background, double minimumRatio = 3.0);

}  // namespace ostrivane
