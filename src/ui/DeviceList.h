#pragma once

#include <QHash>
#include <QString>
#include <QVector>
#include <QWidget>

#include "discovery/DiscoveryTable.h"
#include "link/DeviceIdentity.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace ostrivane {

// "<identifier>, <address>, <model> <version>"; without the model part until the device has been
// identified (identity null).
QString DeviceEntryText(const DiscoveredDevice& device, const DeviceIdentity* identity);

// The announced modulators, offered while searching when several are on the network. Double-click,
// Enter or "Connect" picks the selected one.
class CDeviceList final : public QWidget {
  Q_OBJECT

 public:
  explicit CDeviceList(int languageIndex, QWidget* parent = nullptr);

  // Follows the discovery table: entries come and go, the selection stays on its identifier.
  // leftOut: announcements the full table turned away; the list then says it is not complete.
  void ShowDevices(const QVector<DiscoveredDevice>& announced,
                   const QHash<QString, DeviceIdentity>& identified, int leftOut = 0);
  bool SaysDevicesLeftOut() const;
  QStringList EntryTexts() const;
  int LayoutHeight() const;

 Q_SIGNALS:
  void Picked(const QString& identifier);

 private:
  void PickCurrent();
  QListWidgetItem* ItemFor(const QString& identifier) const;

  QLabel* m_caption = nullptr;
  QLabel* m_leftOut = nullptr;
  QListWidget* m_list = nullptr;
  QPushButton* m_connect = nullptr;
};

}  // namespace ostrivane
