#include "ui/DeviceList.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "common/Prompts.h"
#include "operations/ModelTable.h"
#include "texts/TextTable.h"

namespace ostrivane {

namespace {

constexpr int kMargin = 6;
constexpr int kVisibleRows = 4;
constexpr int kRowPadding = 4;
constexpr int kIdentifierRole = Qt::UserRole;

}  // namespace

QString DeviceEntryText(const DiscoveredDevice& device, const DeviceIdentity* identity) {
  QString text = device.identifier + QStringLiteral(", ") + device.address;
  if (identity == nullptr) return text;
  // Only identified devices get here, and every accepted code has a name: nothing is asked.
  NullPrompts quiet;
  return text + QStringLiteral(", ") + ModelName(identity->DeviceTypeCode, quiet) + u' ' +
         FormatTitleVersion(*identity);
}

CDeviceList::CDeviceList(int languageIndex, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("deviceList"));
  const QString listName = LocalText(text::NetworkModulators, languageIndex);
  setAccessibleName(listName);

  m_caption = new QLabel(LocalText(text::ChooseModulator, languageIndex), this);
  m_caption->setObjectName(QStringLiteral("deviceListCaption"));

  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("deviceEntries"));
  m_list->setAccessibleName(listName);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_list->setFixedHeight((fontMetrics().height() + kRowPadding) * kVisibleRows +
                         2 * m_list->frameWidth());
  m_caption->setBuddy(m_list);
  // itemActivated covers double-click and Enter (and a single click where the style says so).
  connect(m_list, &QListWidget::itemActivated, this, [this] { PickCurrent(); });

  m_leftOut = new QLabel(LocalText(text::DevicesLeftOut, languageIndex), this);
  m_leftOut->setObjectName(QStringLiteral("devicesLeftOut"));
  m_leftOut->setVisible(false);

  m_connect = new QPushButton(LocalText(text::Connect, languageIndex), this);
  m_connect->setObjectName(QStringLiteral("connectButton"));
  m_connect->setAccessibleName(LocalText(text::Connect, languageIndex));
  m_connect->setEnabled(false);
  connect(m_connect, &QPushButton::clicked, this, &CDeviceList::PickCurrent);
  connect(m_list, &QListWidget::currentItemChanged, this,
          [this](QListWidgetItem* current) { m_connect->setEnabled(current != nullptr); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(kMargin, kMargin, kMargin, 0);
  layout->addWidget(m_caption);
  layout->addWidget(m_list);
  layout->addWidget(m_leftOut);
  layout->addWidget(m_connect, 0, Qt::AlignRight);
  setTabOrder(m_list, m_connect);
  setFocusProxy(m_list);
}

void CDeviceList::ShowDevices(const QVector<DiscoveredDevice>& announced,
                              const QHash<QString, DeviceIdentity>& identified, int leftOut) {
  m_leftOut->setVisible(leftOut > 0);
  for (int row = m_list->count() - 1; row >= 0; --row) {
    const QString identifier = m_list->item(row)->data(kIdentifierRole).toString();
    const bool stays =
        std::any_of(announced.begin(), announced.end(),
                    [&](const DiscoveredDevice& d) { return d.identifier == identifier; });
    if (!stays) delete m_list->takeItem(row);
  }
  for (const DiscoveredDevice& device : announced) {
    const auto known = identified.constFind(device.identifier);
    const QString text =
        DeviceEntryText(device, known != identified.constEnd() ? &*known : nullptr);
    QListWidgetItem* item = ItemFor(device.identifier);
    if (item == nullptr) {
      item = new QListWidgetItem(m_list);
      item->setData(kIdentifierRole, device.identifier);
    }
    item->setText(text);
    item->setData(Qt::AccessibleTextRole, text);
  }
  if (m_list->currentItem() == nullptr && m_list->count() > 0) m_list->setCurrentRow(0);
}

QStringList CDeviceList::EntryTexts() const {
  QStringList texts;
  for (int row = 0; row < m_list->count(); ++row) texts.append(m_list->item(row)->text());
  return texts;
}

bool CDeviceList::SaysDevicesLeftOut() const {
  return !m_leftOut->isHidden();
}

int CDeviceList::LayoutHeight() const {
  return sizeHint().height();
}

void CDeviceList::PickCurrent() {
  const QListWidgetItem* item = m_list->currentItem();
  if (item != nullptr) Q_EMIT Picked(item->data(kIdentifierRole).toString());
}

QListWidgetItem* CDeviceList::ItemFor(const QString& identifier) const {
  for (int row = 0; row < m_list->count(); ++row) {
    if (m_list->item(row)->data(kIdentifierRole).toString() == identifier) return m_list->item(row);
  }
  return nullptr;
}

}  // namespace ostrivane
