#pragma once

#include <QString>
#include <atomic>
#include <cstdint>

#include "sim/SimServer.h"

namespace ostrivane::sim {

// The simulated device's network port: listens on a loopback address only (127.0.0.1 unless
// another address of 127.0.0.0/8 is given, so that several devices can share a port number the way
// announced devices do) and serves one client at a time;
// a new connection replaces the old one, as a device with a single link would behave.
class TcpServer final : public SimServer {
 public:
  // port 0 lets the system choose; Port() tells which once started.
  TcpServer(SimulatedModulator& device, std::uint16_t port, QString host = Host());
  ~TcpServer() override;

  bool Start(QString* error = nullptr);
  void Stop();
  std::uint16_t Port() const { return m_port; }
  static QString Host() { return QStringLiteral("127.0.0.1"); }  // the default address
  QString Address() const { return m_host; }
  // Connections accepted so far (tests watch reconnections with it).
  int AcceptedConnections() const { return m_accepted.load(); }

 protected:
  void Serve() override;
  ssize_t WriteSome(int fd, const char* data, std::size_t n) override;

 private:
  bool OpenListener(QString* error);
  void AcceptClient();
  void ServeClient();
  void CloseClient();

  std::uint16_t m_requestedPort;
  QString m_host;
  std::uint16_t m_port = 0;
  int m_listenFd = -1;
  int m_clientFd = -1;
  std::atomic<int> m_accepted{0};
};

}  // namespace ostrivane::sim
