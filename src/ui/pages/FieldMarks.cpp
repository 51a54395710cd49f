#include "ui/pages/FieldMarks.h"

#include <QEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

#include "config/PanelState.h"
#include "files/ApplicationData.h"
#include "texts/TextTable.h"
#include "ui/pages/EditNumbers.h"

namespace ostrivane {

namespace {

const char* const kMarkedProperty = "notOnDevice";

const QString kPart = QStringLiteral("(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])");
const QRegularExpression kWholeAddress(QStringLiteral("^(%1\\.){3}%1$").arg(kPart));
// Blanks and a minus are let through: their read-back rules are part of the fields' contract.
const QRegularExpression kNumberText(QStringLiteral("\\s*-?[0-9]*\\s*"));

std::optional<std::int64_t> TypedNumber(const QString& text, bool isSigned) {
  if (isSigned) {
    const auto value = ReadSignedEdit(text);
    return value ? std::optional<std::int64_t>(*value) : std::nullopt;
  }
  const auto value = ReadUnsignedEdit(text);
  return value ? std::optional<std::int64_t>(*value) : std::nullopt;
}

}  // namespace

void MarkField(QLineEdit* edit, const QString& reason) {
  const bool marked = !reason.isEmpty();
  if (edit->property(kMarkedProperty).toBool() == marked && edit->toolTip() == reason) return;
  edit->setProperty(kMarkedProperty, marked);
  edit->setToolTip(reason);
  edit->setAccessibleDescription(reason);
  edit->setStyleSheet(marked ? QStringLiteral("QLineEdit { border: 2px solid #d00000; }")
                             : QString());
}

FieldMarks::FieldMarks(PanelState& panel, const ApplicationData& settings, QObject* parent)
    : QObject(parent), m_panel(panel), m_settings(settings) {}

void FieldMarks::WatchNumber(QLineEdit* edit, Stored stored, RangeOf range, bool isSigned) {
  edit->setValidator(new QRegularExpressionValidator(kNumberText, edit));
  edit->installEventFilter(this);
  m_numbers.append({edit, std::move(stored), std::move(range), isSigned});
}

void FieldMarks::WatchAddress(QLineEdit* edit) {
  // Partial addresses are intermediate: they may be typed, but never count as a value.
  static const QRegularExpression partial(
      QStringLiteral("[0-9]{0,3}(\\.[0-9]{0,3}){0,3}|(%1\\.){3}%1").arg(kPart));
  edit->setValidator(new QRegularExpressionValidator(partial, edit));
  m_addresses.append(edit);
  connect(edit, &QLineEdit::textChanged, this, [this, edit] {
    if (m_panel.UpdatingGuard == 0) ReviewAddress(edit);
  });
}

bool FieldMarks::IsWholeAddress(const QString& text) {
  return kWholeAddress.match(text).hasMatch();
}

bool FieldMarks::IsMarked(const QLineEdit* edit) {
  return edit->property(kMarkedProperty).toBool();
}

void FieldMarks::Review() {
  for (const Number& number : m_numbers) ReviewNumber(number);
  for (QLineEdit* edit : m_addresses) ReviewAddress(edit);
}

void FieldMarks::ClearAll() {
  for (const Number& number : m_numbers) MarkField(number.edit, {});
  for (QLineEdit* edit : m_addresses) MarkField(edit, {});
}

void FieldMarks::ReviewNumber(const Number& number) {
  const std::int64_t stored = number.stored();
  const auto typed = TypedNumber(number.edit->text(), number.isSigned);
  if (typed && *typed == stored && !number.edit->text().trimmed().isEmpty()) {
    MarkField(number.edit, {});
    return;
  }
  const Range range = number.range();
  MarkField(number.edit, LocalText(text::SentAsRange, m_settings.LanguageIndex())
                             .arg(stored)
                             .arg(range.minimum)
                             .arg(range.maximum));
}

void FieldMarks::ReviewAddress(QLineEdit* edit) {
  MarkField(edit, IsWholeAddress(edit->text())
                      ? QString()
                      : LocalText(text::AddressForm, m_settings.LanguageIndex()));
}

void FieldMarks::ShowDevicesValue(const Number& number) {
  // Silent: showing the device's value is no edit (nor an A.I.T. change).
  const QSignalBlocker quiet(number.edit);
  number.edit->setText(QString::number(number.stored()));
  MarkField(number.edit, {});
}

bool FieldMarks::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    for (const Number& number : m_numbers) {
      if (number.edit == watched && IsMarked(number.edit)) ShowDevicesValue(number);
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace ostrivane
