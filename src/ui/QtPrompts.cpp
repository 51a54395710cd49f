#include "ui/QtPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <memory>

namespace ostrivane {

namespace {

QMessageBox::Icon IconOf(PromptIcon icon) {
  switch (icon) {
    case PromptIcon::Information:
      return QMessageBox::Information;
    case PromptIcon::Exclamation:
      return QMessageBox::Warning;
    case PromptIcon::Error:
      return QMessageBox::Critical;
    case PromptIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void QtPrompts::SetOwners(QWidget* mainWindow, QWidget* panel) {
  m_mainWindow = mainWindow;
  m_panel = panel;
}

QWidget* QtPrompts::Owner(PromptOwner owner) const {
  switch (owner) {
    case PromptOwner::MainWindow:
      return m_mainWindow;
    // The panel may be hidden (a box asked while it closes): the main window stands in.
    case PromptOwner::Panel:
      return m_panel && m_panel->isVisible() ? m_panel : m_mainWindow;
    case PromptOwner::None:
      break;
  }
  return nullptr;
}

QMessageBox* QtPrompts::NewMessageBox(const MessageBoxRequest& request) const {
  const bool okCancel = request.buttons == PromptButtons::OkCancel;
  auto* box = new QMessageBox(IconOf(request.icon), request.caption, request.text,
                              okCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                              Owner(request.owner));
  box->setDefaultButton(okCancel && request.cancelIsDefault ? QMessageBox::Cancel
                                                            : QMessageBox::Ok);
  if (!request.okText.isEmpty()) box->button(QMessageBox::Ok)->setText(request.okText);
  if (okCancel && !request.cancelText.isEmpty()) {
    box->button(QMessageBox::Cancel)->setText(request.cancelText);
  }
  if (okCancel) box->setEscapeButton(QMessageBox::Cancel);
  return box;
}

PromptAnswer QtPrompts::ShowMessage(const MessageBoxRequest& request) {
  const std::unique_ptr<QMessageBox> box(NewMessageBox(request));
  return box->exec() == QMessageBox::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
}

void QtPrompts::AskMessage(const MessageBoxRequest& request,
                           std::function<void(PromptAnswer)> answer) {
  QMessageBox* box = NewMessageBox(request);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::WindowModal);
  QObject::connect(box, &QMessageBox::finished, box, [answer = std::move(answer)](int result) {
    answer(result == QMessageBox::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel);
  });
  box->open();
}

QString QtPrompts::FilterText(const FileDialogRequest& request) {
  if (request.filterPattern.isEmpty()) return {};
  return QStringLiteral("%1 (%2)").arg(request.filterDescription, request.filterPattern);
}

QFileDialog* QtPrompts::NewFileDialog(const FileDialogRequest& request, bool forSave) const {
  // A dialog given a folder that does not exist yet opens in the current one instead: the
  // file goes where the README says (config/ for SAVE).
  if (forSave && !request.folder.isEmpty()) QDir().mkpath(request.folder);
  auto* dialog = new QFileDialog(Owner(PromptOwner::MainWindow), request.title, request.folder,
                                 FilterText(request));
  dialog->setAcceptMode(forSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog->setFileMode(forSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog->setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
  return dialog;
}

QString QtPrompts::GetSaveFileName(const FileDialogRequest& request) {
  const std::unique_ptr<QFileDialog> dialog(NewFileDialog(request, true));
  return dialog->exec() == QDialog::Accepted ? dialog->selectedFiles().value(0) : QString();
}

QString QtPrompts::GetOpenFileName(const FileDialogRequest& request) {
  const std::unique_ptr<QFileDialog> dialog(NewFileDialog(request, false));
  return dialog->exec() == QDialog::Accepted ? dialog->selectedFiles().value(0) : QString();
}

namespace {

void OpenFileDialog(QFileDialog* dialog, std::function<void(const QString&)> answer) {
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowModality(Qt::WindowModal);
  QObject::connect(
      dialog, &QFileDialog::finished, dialog, [dialog, answer = std::move(answer)](int result) {
        answer(result == QDialog::Accepted ? dialog->selectedFiles().value(0) : QString());
      });
  dialog->open();
}

}  // namespace

void QtPrompts::AskSaveFileName(const FileDialogRequest& request,
                                std::function<void(const QString&)> answer) {
  OpenFileDialog(NewFileDialog(request, true), std::move(answer));
}

void QtPrompts::AskOpenFileName(const FileDialogRequest& request,
                                std::function<void(const QString&)> answer) {
  OpenFileDialog(NewFileDialog(request, false), std::move(answer));
}

// A tone of a given pitch is not portable; the system's alert sound takes its place.
void QtPrompts::Beep(int, int) {
  QApplication::beep();
}

}  // namespace ostrivane
