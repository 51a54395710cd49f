#include "cli/CliSession.h"

#include <QThread>

#include "discovery/DiscoveryListener.h"

namespace ostrivane::cli {

CliSession::CliSession(QTextStream& err, bool quiet)
    : status(err, isatty(fileno(stderr)) != 0, quiet), prompts(err), link(clock, status) {}

OperationContext CliSession::Context() {
  return OperationContext{link,     identity, config, panel,   shape,    deviceStatus,
                          settings, flags,    status, prompts, displays, clock};
}

void CliSession::Listen(const LinkRequest& request) {
  DiscoveryOptions options;
  options.interfaceAddress = request.discoveryInterface;
  options.port = request.discoveryPort;
  DiscoveryStart started = StartDiscovery(discovery, options, clock);
  if (started.code != discovery_start::kStarted) return;
  // Announcements come every couple of seconds; wait on the clock, the listener works meanwhile.
  clock.SleepFor(Millis{static_cast<long long>(request.listenSeconds * 1000.0)});
  started.listener->Stop();
}

bool CliSession::Connect(const LinkRequest& request) {
  ConnectionOptions options;
  options.tcpPort = request.tcpPort;
  bool connected = false;
  if (!request.tcpHost.isEmpty()) {
    connected = ConnectTcp(link, request.tcpHost, options) && Identify(link, identity);
  } else if (!request.serialPaths.isEmpty()) {
    options.extraSerialPaths = request.serialPaths;
    options.scanUsbPorts = false;
    connected = ConnectDevice(link, identity, discovery, options);
  } else {
    Listen(request);
    connected = ConnectDevice(link, identity, discovery, options);
  }
  link.LinkError = false;
  if (connected) shape = RecordShape::ForType(identity.DeviceTypeCode);
  return connected;
}

}  // namespace ostrivane::cli
