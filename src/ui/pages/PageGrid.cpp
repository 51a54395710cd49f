#include "ui/pages/PageGrid.h"

#include <QGridLayout>
#include <QLineEdit>

namespace ostrivane {

namespace {
constexpr int kEditPadding = 14;
constexpr int kTextChars = 12;
}  // namespace

QGridLayout* NewPageGrid() {
  auto* grid = new QGridLayout;
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setVerticalSpacing(2);
  return grid;
}

void FitEditWidth(QLineEdit* edit, int chars) {
  const int digit = edit->fontMetrics().horizontalAdvance(QLatin1Char('0'));
  if (chars > 0) {
    edit->setFixedWidth(digit * chars + kEditPadding);
  } else {
    edit->setMinimumWidth(digit * kTextChars + kEditPadding);
  }
}

}  // namespace ostrivane
