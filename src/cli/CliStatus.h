#pragma once

#include <QTextStream>
#include <cstdio>

#include "common/Prompts.h"
#include "common/StatusSink.h"

namespace ostrivane::cli {

// Status texts go to stderr; long transfers draw a progress bar there when it is a terminal.
class CliStatusSink final : public StatusSink {
 public:
  CliStatusSink(QTextStream& err, bool interactive, bool quiet);
  void ShowStatusText(const QString& text, int durationMs, bool wait) override;
  void SetProgress(std::uint32_t range, std::uint32_t position) override;
  void FlashActivity(bool) override {}
  void ShowWarningIcon(bool) override {}
  void Finish();

 private:
  QTextStream& m_err;
  bool m_interactive;
  bool m_quiet;
  bool m_barShown = false;
  int m_lastPercent = -1;
};

// Prompts for a run without a user: message boxes are printed and answered OK (or, once
// AskOnTerminal was called, questions are asked there), the file dialog answers the path given on
// the command line.
class CliPrompts final : public Prompts {
 public:
  explicit CliPrompts(QTextStream& err) : m_err(err) {}
  PromptAnswer ShowMessage(const MessageBoxRequest& request) override;
  QString GetSaveFileName(const FileDialogRequest&) override { return m_path; }
  QString GetOpenFileName(const FileDialogRequest&) override { return m_path; }
  void Beep(int, int) override {}
  void SetDialogPath(const QString& path) { m_path = path; }
  // OK/Cancel questions are answered by a line typed on input: "y" or "yes" is OK.
  void AskOnTerminal(FILE* input) { m_input = input; }
  const QString& LastMessage() const { return m_lastMessage; }
  // --quiet: messages that only inform (an OK button, no warning) are not printed.
  void SetQuiet(bool quiet) { m_quiet = quiet; }

 private:
  QTextStream& m_err;
  QString m_path;
  QString m_lastMessage;
  FILE* m_input = nullptr;
  bool m_quiet = false;
};

}  // namespace ostrivane::cli
