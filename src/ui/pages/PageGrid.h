#pragma once

class QGridLayout;
class QLineEdit;

namespace ostrivane {

// Layout pieces the data-entry pages share, so that their rows line up alike.
inline constexpr int kPageSectionGap = 6;
inline constexpr int kPageRightMargin = 4;

// A grid for one block of label rows over control rows.
QGridLayout* NewPageGrid();
// Numbers and addresses get a field as wide as their longest value (chars); texts (chars 0) get
// at least a dozen characters and whatever room their column has.
void FitEditWidth(QLineEdit* edit, int chars);

}  // namespace ostrivane
