#pragma once

#include <QString>
#include <QTime>

#include "operations/Transfer.h"

namespace ostrivane {

// Where the installer's edits stand: shown in the status bar's "Write state" label.
enum class WriteState {
  Idle,        // nothing edited since the panel opened
  Pending,     // edited, not yet sent
  Sending,     // the record write is under way
  Sent,        // the device acknowledged the record
  NotApplied,  // the device did not take it (the outcome says why)
};

struct WriteReport {
  WriteState state = WriteState::Idle;
  SendOutcome outcome = SendOutcome::None;
  QTime at;  // when the device acknowledged it (Sent)
};

// "Changes pending", "Sending...", "Sent HH:MM:SS", "Not applied: <reason>"; empty for Idle.
QString WriteStateText(const WriteReport& report, int languageIndex);
// The reason of a send that did not apply ("refused", "no answer", "link lost", "value invalid").
QString SendFailureReason(SendOutcome outcome, int languageIndex);

}  // namespace ostrivane
