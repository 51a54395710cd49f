#include "ui/pages/PanelPage.h"

#include <QDialog>
#include <QLabel>

#include "texts/TextTable.h"
#include "texts/WindowTexts.h"
#include "ui/ControlIds.h"
#include "ui/pages/FieldMarks.h"

namespace ostrivane {

PanelPage::PanelPage(int pageIndex, PanelHost& host, OperationContext& ctx, QWidget* parent)
    : QWidget(parent),
      m_pageIndex(pageIndex),
      m_host(host),
      m_ctx(ctx),
      m_marks(new FieldMarks(ctx.panel, ctx.settings, this)) {}

void PanelPage::PageFill() {
  FillValues();
  m_marks->ClearAll();
  PageEnable();
}

void PanelPage::PageRead() {
  if (Updating()) return;
  ReadValues();
  m_ctx.panel.MarkForSending();
  m_marks->Review();
  m_host.NoteEdit();
  PageEnable();
}

QString PanelPage::SpokenName(const QString& labelText) {
  QString name = labelText.trimmed();
  if (name.endsWith(QLatin1Char(':'))) name.chop(1);
  return name.trimmed();
}

void PanelPage::OpenForConnection(QDialog* dialog, std::function<void(int result)> answered) {
  const std::uint32_t epoch = m_host.ConnectionEpoch();
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowModality(Qt::WindowModal);
  connect(dialog, &QDialog::finished, this, [this, epoch, answered = std::move(answered)](int r) {
    if (m_host.StillConnected(epoch)) answered(r);
  });
  m_host.BindToConnection(dialog);
  dialog->open();
}

QString PanelPage::Text(int entry) const {
  return LocalText(entry, m_ctx.settings.LanguageIndex());
}

QString PanelPage::Local(QStringView english) const {
  return WindowText(english, m_ctx.settings.LanguageIndex());
}

QLabel* PanelPage::AddLabel(int id, const QString& text, const char* objectName) {
  auto* label = new QLabel(text, this);
  Register(id, label, objectName, SpokenName(text));
  return label;
}

void PanelPage::ChainTabOrder() {
  QWidget* previous = nullptr;
  for (QWidget* widget : m_order) {
    if (widget->focusPolicy() == Qt::NoFocus) continue;
    if (previous != nullptr) setTabOrder(previous, widget);
    previous = widget;
  }
}

void PanelPage::Register(int id, QWidget* widget, const char* objectName,
                         const QString& accessibleName) {
  if (widget->parent() == nullptr) widget->setParent(this);
  widget->setProperty(control::kProperty, id);
  widget->setObjectName(QString::fromLatin1(objectName));
  widget->setAccessibleName(Local(accessibleName));
  m_controls.insert(id, widget);
  m_order.append(widget);
}

}  // namespace ostrivane
