#pragma once

#include <QString>
#include <functional>

namespace ostrivane {

// Which window owns a message box (Qt parents the dialog accordingly).
enum class PromptOwner { None, MainWindow, Panel };
enum class PromptButtons { Ok, OkCancel };
enum class PromptIcon { None, Information, Exclamation, Error };
enum class PromptAnswer { Ok, Cancel };

struct MessageBoxRequest {
  PromptOwner owner = PromptOwner::None;
  QString caption;
  QString text;
  PromptButtons buttons = PromptButtons::Ok;
  PromptIcon icon = PromptIcon::None;
  bool cancelIsDefault = false;
  // The buttons' own words instead of OK and Cancel; empty: the usual ones.
  QString okText;
  QString cancelText;
};

struct FileDialogRequest {
  QString title;
  QString folder;             // empty: the dialog chooses
  QString filterDescription;  // e.g. "Config."
  QString filterPattern;      // e.g. "*.itc"
  bool overwritePrompt = false;
};

// User prompts behind one interface: the window supplies Qt dialogs, tests supply scripted answers.
class Prompts {
 public:
  virtual ~Prompts() = default;
  virtual PromptAnswer ShowMessage(const MessageBoxRequest& request) = 0;
  // Returns the chosen path, or an empty string when the user cancelled.
  virtual QString GetSaveFileName(const FileDialogRequest& request) = 0;
  virtual QString GetOpenFileName(const FileDialogRequest& request) = 0;
  virtual void Beep(int frequencyHz, int durationMs) = 0;

  // The same questions without waiting for the answer: answer runs later, on the asking thread,
  // once the user has answered (the window's dialogs are window-modal and report through their
  // finished signal, so no event loop is nested). By default answer runs at once with what the
  // blocking call gives.
  virtual void AskMessage(const MessageBoxRequest& request,
                          std::function<void(PromptAnswer)> answer) {
    answer(ShowMessage(request));
  }
  virtual void AskSaveFileName(const FileDialogRequest& request,
                               std::function<void(const QString&)> answer) {
    answer(GetSaveFileName(request));
  }
  virtual void AskOpenFileName(const FileDialogRequest& request,
                               std::function<void(const QString&)> answer) {
    answer(GetOpenFileName(request));
  }
};

// Answers OK to everything, cancels every file dialog and stays silent.
class NullPrompts final : public Prompts {
 public:
  PromptAnswer ShowMessage(const MessageBoxRequest&) override { return PromptAnswer::Ok; }
  QString GetSaveFileName(const FileDialogRequest&) override { return {}; }
  QString GetOpenFileName(const FileDialogRequest&) override { return {}; }
  void Beep(int, int) override {}
};

}  // namespace ostrivane
