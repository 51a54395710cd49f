#include "ui/ActivityPanel.h"

#include <QListWidget>
#include <QVBoxLayout>

namespace ostrivane {

namespace {

constexpr int kWidthChars = 120;
constexpr int kHeightLines = 16;

}  // namespace

CActivityPanel::CActivityPanel(const QString& dataFolder, const QString& title, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_log(dataFolder) {
  setObjectName(QStringLiteral("activityPanel"));
  setAccessibleName(title);
  setWindowTitle(title);
  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("activityList"));
  m_list->setAccessibleName(title);
  m_list->setUniformItemSizes(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(m_list);
  const QFontMetrics metrics = fontMetrics();
  resize(metrics.averageCharWidth() * kWidthChars, metrics.height() * kHeightLines);
}

void CActivityPanel::Add(const QString& device, const QString& event) {
  const QDateTime now = QDateTime::currentDateTime();
  m_log.Append(now, device, event);
  QString line = now.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("  ");
  if (!device.isEmpty()) line += device + QStringLiteral("  ");
  m_list->addItem(line + event);
  while (m_list->count() > kMaxLines) delete m_list->takeItem(0);
  m_list->scrollToBottom();
}

void CActivityPanel::Toggle() {
  setVisible(!isVisible());
}

QStringList CActivityPanel::Lines() const {
  QStringList lines;
  for (int i = 0; i < m_list->count(); ++i) lines.append(m_list->item(i)->text());
  return lines;
}

}  // namespace ostrivane
