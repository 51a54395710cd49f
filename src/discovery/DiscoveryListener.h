#pragma once

#include <QString>
#include <QtGlobal>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>

#include "common/Clock.h"
#include "discovery/DiscoveryTable.h"

class QThread;
class QUdpSocket;

namespace ostrivane {

struct DiscoveryOptions {
  QString interfaceAddress;  // empty: first up, non-loopback IPv4 interface
  quint16 port = 1900;       // 0: any free port (see DiscoveryListener::BoundPort)
  QString group = QStringLiteral("239.255.255.250");
  // Longest wait for a datagram; the table is aged at least this often.
  std::chrono::milliseconds receiveTimeout{2000};
};

// Results of starting the listener. For 3 to 7 the socket has been closed again.
namespace discovery_start {
inline constexpr int kStarted = 0;
// Reserved: socket-library start-up failed. Cannot occur with Qt Network.
inline constexpr int kStartupFailed = 1;
inline constexpr int kSocketFailed = 2;
// Reserved: address reuse is asked for together with the bind, whose failure reports it.
inline constexpr int kReuseAddressFailed = 3;
inline constexpr int kBindFailed = 4;
inline constexpr int kNoInterface = 5;
inline constexpr int kJoinFailed = 6;
inline constexpr int kThreadFailed = 7;
}  // namespace discovery_start

// Receives announcements on its own thread and keeps the table: every pass (a datagram, or the
// receive time-out) parses, updates and ages under the table's lock. Destroying the listener stops
// the thread at once. The clock is read from the listener thread and must be safe for that. The
// thread runs a Qt event loop, so the program must have created its QCoreApplication.
class DiscoveryListener {
 public:
  DiscoveryListener(DiscoveryTable& table, Clock& clock);
  ~DiscoveryListener();
  DiscoveryListener(const DiscoveryListener&) = delete;
  DiscoveryListener& operator=(const DiscoveryListener&) = delete;

  // Empties the table, opens and joins the socket and starts the thread; a discovery_start code.
  int Start(const DiscoveryOptions& options);
  // Ends the thread's wait, joins it and closes the socket; does nothing when not running.
  void Stop();
  bool IsRunning() const { return m_thread != nullptr; }
  // Port the socket is bound to (0 when not running).
  quint16 BoundPort() const { return m_boundPort.load(); }
  // The interface joined to the group ("eth0 192.168.1.20"); valid once Start returned kStarted.
  const QString& InterfaceName() const { return m_interfaceName; }
  // Passes completed so far; lets callers wait for the listener without sleeping blindly.
  quint64 PassCount() const { return m_passes.load(); }

 private:
  // The listener thread's body: the socket lives and dies on that thread.
  void Run(const DiscoveryOptions& options, std::promise<int>& opened);
  int OpenSocket(QUdpSocket& socket, const DiscoveryOptions& options);
  void Pass(const QByteArray& datagram);
  std::uint32_t Tick() const;

  DiscoveryTable& m_table;
  Clock& m_clock;
  std::atomic<quint16> m_boundPort{0};
  std::atomic<quint64> m_passes{0};
  // Written by the listener thread before it reports the start, read after that.
  QString m_interfaceName;
  std::unique_ptr<QThread> m_thread;
};

struct DiscoveryStart {
  int code = discovery_start::kSocketFailed;
  std::unique_ptr<DiscoveryListener> listener;  // running when code is kStarted, else null
};

// Starts the one listener of the run; the caller keeps it alive for as long as it wants the table
// kept. The table is emptied whatever the outcome.
DiscoveryStart StartDiscovery(DiscoveryTable& table, const DiscoveryOptions& options, Clock& clock);

}  // namespace ostrivane
