#include "discovery/DiscoveryListener.h"

#include "common/ThreadJoin.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>

#include "discovery/Announcement.h"

namespace ostrivane {

namespace {

// One byte more than the longest announcement, so that an over-long datagram shows as such.
constexpr std::size_t kReceiveBufferBytes = kMaxAnnouncementBytes + 1;

bool HasIpv4Address(const QNetworkInterface& candidate) {
  for (const QNetworkAddressEntry& entry : candidate.addressEntries()) {
    if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol) return true;
  }
  return false;
}

// The first up, running, non-loopback interface that has an IPv4 address; invalid when none.
QNetworkInterface FirstActiveIpv4Interface() {
  const auto interfaces = QNetworkInterface::allInterfaces();
  for (const QNetworkInterface& candidate : interfaces) {
    const auto flags = candidate.flags();
    if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning))
      continue;
    if (flags.testFlag(QNetworkInterface::IsLoopBack)) continue;
    if (HasIpv4Address(candidate)) return candidate;
  }
  return QNetworkInterface();
}

// The interface that carries the given dotted IPv4 address; invalid when none does.
QNetworkInterface InterfaceWithAddress(const QString& text) {
  QHostAddress address;
  if (!address.setAddress(text) || address.protocol() != QAbstractSocket::IPv4Protocol)
    return QNetworkInterface();
  const auto interfaces = QNetworkInterface::allInterfaces();
  for (const QNetworkInterface& candidate : interfaces) {
    for (const QNetworkAddressEntry& entry : candidate.addressEntries()) {
      if (entry.ip() == address) return candidate;
    }
  }
  return QNetworkInterface();
}

// Errors, empty datagrams and over-long ones all count as nothing received.
QByteArray ReceiveOne(QUdpSocket& socket) {
  const qint64 announced = socket.pendingDatagramSize();
  char buffer[kReceiveBufferBytes];
  const qint64 received = socket.readDatagram(buffer, sizeof buffer);
  if (received <= 0 || received > kMaxAnnouncementBytes || announced > kMaxAnnouncementBytes)
    return QByteArray();
  return QByteArray(buffer, static_cast<qsizetype>(received));
}

}  // namespace

DiscoveryListener::DiscoveryListener(DiscoveryTable& table, Clock& clock)
    : m_table(table), m_clock(clock) {}

DiscoveryListener::~DiscoveryListener() {
  Stop();
}

int DiscoveryListener::Start(const DiscoveryOptions& options) {
  Stop();
  m_table.Clear();
  // The thread's event loop needs the application object; without it nothing would be heard.
  if (QCoreApplication::instance() == nullptr) return discovery_start::kThreadFailed;
  // The socket is opened on the listener thread so that it belongs to it; the outcome comes back
  // through the promise.
  auto opened = std::make_shared<std::promise<int>>();
  std::future<int> outcome = opened->get_future();
  m_thread.reset(QThread::create([this, options, opened] {
    Run(options, *opened);
    MarkThreadEnd(this);
  }));
  m_thread->start();
  if (!m_thread->isRunning() && !m_thread->isFinished()) {
    m_thread.reset();
    return discovery_start::kThreadFailed;
  }
  const int code = outcome.get();
  if (code != discovery_start::kStarted) Stop();
  return code;
}

int DiscoveryListener::OpenSocket(QUdpSocket& socket, const DiscoveryOptions& options) {
  // Others (SSDP) may hold the port too; all of them hear the group.
  const auto sharing = QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint;
  if (!socket.bind(QHostAddress::AnyIPv4, options.port, sharing)) {
    return socket.error() == QAbstractSocket::SocketResourceError ? discovery_start::kSocketFailed
                                                                  : discovery_start::kBindFailed;
  }
  m_boundPort = socket.localPort();

  const QNetworkInterface local = options.interfaceAddress.isEmpty()
                                      ? FirstActiveIpv4Interface()
                                      : InterfaceWithAddress(options.interfaceAddress);
  if (!local.isValid()) return discovery_start::kNoInterface;
  m_interfaceName = local.humanReadableName();
  if (!options.interfaceAddress.isEmpty()) {
    m_interfaceName += u' ' + options.interfaceAddress;
  } else {
    for (const QNetworkAddressEntry& entry : local.addressEntries()) {
      if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol) continue;
      m_interfaceName += u' ' + entry.ip().toString();
      break;
    }
  }
  QHostAddress group;
  if (!group.setAddress(options.group) || !socket.joinMulticastGroup(group, local))
    return discovery_start::kJoinFailed;
  return discovery_start::kStarted;
}

void DiscoveryListener::Stop() {
  if (m_thread) {
    m_thread->quit();
    m_thread->wait();
    MarkThreadJoined(this);
    m_thread.reset();
  }
  m_boundPort = 0;
}

void DiscoveryListener::Run(const DiscoveryOptions& options, std::promise<int>& opened) {
  QUdpSocket socket;
  const int code = OpenSocket(socket, options);
  opened.set_value(code);
  if (code != discovery_start::kStarted) return;

  // Restarted by every datagram: the table is aged after a datagram or after this much silence.
  QTimer quiet;
  quiet.setInterval(options.receiveTimeout);
  QObject::connect(&quiet, &QTimer::timeout, [this] { Pass(QByteArray()); });
  QObject::connect(&socket, &QUdpSocket::readyRead, [this, &socket, &quiet] {
    while (socket.hasPendingDatagrams()) Pass(ReceiveOne(socket));
    quiet.start();
  });
  quiet.start();
  // Stop() ends this loop, even one it asked to end before it started.
  QEventLoop loop;
  loop.exec();
}

void DiscoveryListener::Pass(const QByteArray& datagram) {
  QString identifier;
  QString address;
  const bool accepted = !datagram.isEmpty() && ParseAnnouncement(datagram, identifier, address);
  m_table.Process(accepted, identifier, address, Tick());
  ++m_passes;
}

std::uint32_t DiscoveryListener::Tick() const {
  // The table works on a 32-bit millisecond counter that wraps; truncation gives exactly that.
  return static_cast<std::uint32_t>(m_clock.Now().count());
}

DiscoveryStart StartDiscovery(DiscoveryTable& table, const DiscoveryOptions& options,
                              Clock& clock) {
  DiscoveryStart result;
  result.listener = std::make_unique<DiscoveryListener>(table, clock);
  result.code = result.listener->Start(options);
  if (result.code != discovery_start::kStarted) result.listener.reset();
  return result;
}

}  // namespace ostrivane
