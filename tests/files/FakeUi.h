#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <utility>

#include "common/Prompts.h"
#include "common/StatusSink.h"

namespace ostrivane::testing {

// Answers the file dialogs with scripted paths and records every call in order.
class FakePrompts final : public Prompts {
 public:
  QString savePath;
  QString openPath;
  PromptAnswer messageAnswer = PromptAnswer::Ok;

  QVector<FileDialogRequest> dialogs;
  QVector<MessageBoxRequest> messages;
  QVector<std::pair<int, int>> beeps;
  QStringList calls;  // "dialog", "message", "beep" in call order

  PromptAnswer ShowMessage(const MessageBoxRequest& request) override {
    messages.append(request);
    calls.append(QStringLiteral("message"));
    return messageAnswer;
  }
  QString GetSaveFileName(const FileDialogRequest& request) override {
    dialogs.append(request);
    calls.append(QStringLiteral("dialog"));
    return savePath;
  }
  QString GetOpenFileName(const FileDialogRequest& request) override {
    dialogs.append(request);
    calls.append(QStringLiteral("dialog"));
    return openPath;
  }
  void Beep(int frequencyHz, int durationMs) override {
    beeps.append({frequencyHz, durationMs});
    calls.append(QStringLiteral("beep"));
  }
};

struct StatusText {
  QString text;
  int durationMs = 0;
  bool wait = false;
};

class FakeStatusSink final : public StatusSink {
 public:
  QVector<StatusText> texts;
  QStringList* calls = nullptr;  // shared with FakePrompts to check the order of beep and text

  void ShowStatusText(const QString& text, int durationMs, bool wait) override {
    texts.append({text, durationMs, wait});
    if (calls) calls->append(QStringLiteral("status"));
  }
  void SetProgress(std::uint32_t, std::uint32_t) override {}
  void FlashActivity(bool) override {}
  void ShowWarningIcon(bool) override {}

  QString Last() const { return texts.isEmpty() ? QString() : texts.back().text; }
};

}  // namespace ostrivane::testing
