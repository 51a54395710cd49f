#pragma once

#include <QString>
#include <QStringView>

#include "texts/TextTable.h"

namespace ostrivane {

// The window's own texts besides the text table: spoken names, descriptions and tooltips of the
// controls, and why a backup is missing. Each row holds six strings in language order (EN FR IT DE
// PO ES); the English one is the key, as Qt's tr() keys its translations by their source text, so
// that a control keeps its English wording in the code where it is built.
inline constexpr int kWindowTextRows = 143;
extern const char16_t* const WindowTextTable[kWindowTextRows * kLanguages];

// The row's text in the given language; a text without a row (a device's value, a text that is
// the same in every language) and an out-of-range language give `english` itself.
QString WindowText(QStringView english, int languageIndex);

}  // namespace ostrivane
