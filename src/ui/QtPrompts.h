#pragma once

#include <QPointer>
#include <QWidget>

#include "common/Prompts.h"

class QFileDialog;
class QMessageBox;

namespace ostrivane {

// Message boxes, file dialogs and the beep of the window.
class QtPrompts final : public Prompts {
 public:
  // The windows that own the message boxes; until they exist boxes have no parent.
  void SetOwners(QWidget* mainWindow, QWidget* panel);

  PromptAnswer ShowMessage(const MessageBoxRequest& request) override;
  QString GetSaveFileName(const FileDialogRequest& request) override;
  QString GetOpenFileName(const FileDialogRequest& request) override;
  void Beep(int frequencyHz, int durationMs) override;
  void AskMessage(const MessageBoxRequest& request,
                  std::function<void(PromptAnswer)> answer) override;
  void AskSaveFileName(const FileDialogRequest& request,
                       std::function<void(const QString&)> answer) override;
  void AskOpenFileName(const FileDialogRequest& request,
                       std::function<void(const QString&)> answer) override;

  // "Config. (*.itc)"; a request without a pattern gives no filter.
  static QString FilterText(const FileDialogRequest& request);

 private:
  QWidget* Owner(PromptOwner owner) const;
  // The dialogs of both ways of asking, not yet shown.
  QMessageBox* NewMessageBox(const MessageBoxRequest& request) const;
  QFileDialog* NewFileDialog(const FileDialogRequest& request, bool forSave) const;

  QPointer<QWidget> m_mainWindow;
  QPointer<QWidget> m_panel;
};

}  // namespace ostrivane
