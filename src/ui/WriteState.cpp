#include "ui/WriteState.h"

#include "texts/TextTable.h"

namespace ostrivane {

QString SendFailureReason(SendOutcome outcome, int languageIndex) {
  switch (outcome) {
    case SendOutcome::Refused:
      return LocalText(text::ReasonRefused, languageIndex);
    case SendOutcome::LinkLost:
      return LocalText(text::ReasonLinkLost, languageIndex);
    case SendOutcome::Invalid:
      return LocalText(text::ReasonInvalid, languageIndex);
    case SendOutcome::NoAnswer:
    case SendOutcome::None:
    case SendOutcome::Sent:
      break;
  }
  return LocalText(text::ReasonNoAnswer, languageIndex);
}

QString WriteStateText(const WriteReport& report, int languageIndex) {
  switch (report.state) {
    case WriteState::Idle:
      return {};
    case WriteState::Pending:
      return LocalText(text::ChangesPending, languageIndex);
    case WriteState::Sending:
      return LocalText(text::Sending, languageIndex);
    case WriteState::Sent:
      return LocalText(text::SentAt, languageIndex)
          .arg(report.at.toString(QStringLiteral("HH:mm:ss")));
    case WriteState::NotApplied:
      break;
  }
  return LocalText(text::NotApplied, languageIndex)
      .arg(SendFailureReason(report.outcome, languageIndex));
}

}  // namespace ostrivane
