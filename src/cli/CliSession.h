#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <memory>

#include "cli/CliStatus.h"
#include "common/Clock.h"
#include "config/DeviceConfig.h"
#include "config/PanelState.h"
#include "config/RecordShape.h"
#include "discovery/DiscoveryTable.h"
#include "files/ApplicationData.h"
#include "link/CXmit.h"
#include "link/Connection.h"
#include "link/DeviceIdentity.h"
#include "operations/DeviceStatus.h"
#include "operations/OperationContext.h"

namespace ostrivane::cli {

// How the command line asked to reach the device.
struct LinkRequest {
  QString tcpHost;  // --tcp HOST[:PORT]
  quint16 tcpPort = kDeviceTcpPort;
  QStringList serialPaths;  // --serial PATH...
  QString discoveryInterface;
  quint16 discoveryPort = 1900;
  double listenSeconds = 3.0;
  QString device;  // --device ID|ADDRESS: one announced device
};

// The single instances one command works on, wired together like the window wires them.
class CliSession {
 public:
  CliSession(QTextStream& err, bool quiet, LinkObserver* trace = nullptr);

  // Listens for announcements (unless a link was named) and connects. False: nothing identified,
  // and Failure() says why.
  bool Connect(const LinkRequest& request);
  // Connects to one channel and identifies what answers there.
  bool ConnectTcpDevice(const QString& host, quint16 port);
  bool ConnectSerialDevice(const QString& path);
  const QString& Failure() const { return m_failure; }
  // Collects announcements for the requested time.
  void Listen(const LinkRequest& request);

  OperationContext Context();
  // The device's record (0x70), checked against its layout: empty when record holds it, else
  // why not, as a sentence without its full stop.
  QString FetchRecord(QByteArray& record);

  SteadyClock clock;
  CliStatusSink status;
  CliPrompts prompts;
  NullPanelDisplays displays;
  CXmit link;
  DeviceIdentity identity;
  DeviceConfig config;
  PanelState panel;
  RecordShape shape;
  DeviceStatusPair deviceStatus;
  ApplicationData settings;
  ConnectionFlags flags;
  DiscoveryTable discovery;

 private:
  bool ConnectAnnounced(const LinkRequest& request);
  bool ConnectFirstFound(const LinkRequest& request);
  bool IdentifyAttached(const QString& where);
  bool Finish(bool connected);

  QString m_failure;
};

}  // namespace ostrivane::cli
