#include "ui/QtPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

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

PromptAnswer QtPrompts::ShowMessage(const MessageBoxRequest& request) {
  const bool okCancel = request.buttons == PromptButtons::OkCancel;
  QMessageBox box(IconOf(request.icon), request.caption, request.text,
                  okCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                  Owner(request.owner));
  box.setDefaultButton(okCancel && request.cancelIsDefault ? QMessageBox::Cancel : QMessageBox::Ok);
  if (!request.okText.isEmpty()) box.button(QMessageBox::Ok)->setText(request.okText);
  if (okCancel && !request.cancelText.isEmpty()) {
    box.button(QMessageBox::Cancel)->setText(request.cancelText);
  }
  if (okCancel) box.setEscapeButton(QMessageBox::Cancel);
  return box.exec() == QMessageBox::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
}

QString QtPrompts::FilterText(const FileDialogRequest& request) {
  if (request.filterPattern.isEmpty()) return {};
  return QStringLiteral("%1 (%2)").arg(request.filterDescription, request.filterPattern);
}

QString QtPrompts::GetSaveFileName(const FileDialogRequest& request) {
  QFileDialog::Options options;
  if (!request.overwritePrompt) options |= QFileDialog::DontConfirmOverwrite;
  // A dialog given a folder that does not exist yet opens in the current one instead: the
  // file goes where the README says (config/ for SAVE).
  if (!request.folder.isEmpty()) QDir().mkpath(request.folder);
  return QFileDialog::getSaveFileName(Owner(PromptOwner::MainWindow), request.title, request.folder,
                                      FilterText(request), nullptr, options);
}

QString QtPrompts::GetOpenFileName(const FileDialogRequest& request) {
  return QFileDialog::getOpenFileName(Owner(PromptOwner::MainWindow), request.title, request.folder,
                                      FilterText(request));
}

// A tone of a given pitch is not portable; the system's alert sound takes its place.
void QtPrompts::Beep(int, int) {
  QApplication::beep();
}

}  // namespace ostrivane
