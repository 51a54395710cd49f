#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

class QLineEdit;

namespace ostrivane {

class ApplicationData;
struct PanelState;

// What the device holds, said beside the fields that show something else. A number field whose
// text the read-back replaced (a fallback, a cut) is marked with what was sent and the field's
// range, and takes the device's value when the focus leaves it; an address field that is not yet
// a whole dotted address is marked with the form it expects and is not read back.
class FieldMarks final : public QObject {
  Q_OBJECT

 public:
  struct Range {
    std::int64_t minimum = 0;
    std::int64_t maximum = 0;
  };
  using Stored = std::function<std::int64_t()>;
  using RangeOf = std::function<Range()>;

  // panel: while its UpdatingGuard is held, address texts are the model's own; settings: the
  // installer's language.
  FieldMarks(PanelState& panel, const ApplicationData& settings, QObject* parent);

  // Digits only (a leading minus and blanks too, whose read-back rules exist); letters are
  // refused while typing.
  void WatchNumber(QLineEdit* edit, Stored stored, RangeOf range, bool isSigned = false);
  // The dotted form only; complete addresses count, when the edit is finished.
  void WatchAddress(QLineEdit* edit);

  // After a read-back: marks what differs from the model, clears the rest.
  void Review();
  // After a fill: the fields show the model, nothing is marked.
  void ClearAll();

  static bool IsMarked(const QLineEdit* edit);
  // A dotted IPv4 address, each part 0 to 255.
  static bool IsWholeAddress(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Number {
    QLineEdit* edit;
    Stored stored;
    RangeOf range;
    bool isSigned;
  };
  void ReviewNumber(const Number& number);
  void ReviewAddress(QLineEdit* edit);
  void ShowDevicesValue(const Number& number);

  PanelState& m_panel;
  const ApplicationData& m_settings;
  QList<Number> m_numbers;
  QList<QLineEdit*> m_addresses;
};

// Marks or unmarks a field: a red frame, and the reason as tooltip and accessible description.
void MarkField(QLineEdit* edit, const QString& reason);

}  // namespace ostrivane
