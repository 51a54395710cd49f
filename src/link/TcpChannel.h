#pragma once

#include <QString>
#include <memory>

#include "link/Channel.h"

namespace ostrivane {

// Blocking IPv4 TCP client on a plain socket descriptor: no event loop and no thread affinity, so
// it works on whichever thread runs the transaction. Waits block in poll(), never spin.
class TcpChannel final : public Channel {
 public:
  // Connects to host (dotted IPv4 text) within timeoutMs; nullptr when that fails, with the
  // reason in why ("connection refused by 127.0.0.1:1").
  static std::unique_ptr<TcpChannel> Connect(const QString& host, quint16 port, int timeoutMs,
                                             QString* why = nullptr);
  ~TcpChannel() override;
  TcpChannel(const TcpChannel&) = delete;
  TcpChannel& operator=(const TcpChannel&) = delete;

  Kind GetKind() const override { return Kind::Tcp; }
  bool IsOpen() const override { return m_fd >= 0; }
  // Sends the whole buffer, continuing after partial sends.
  bool Write(const std::uint8_t* data, std::size_t n) override;
  std::size_t Read(std::uint8_t* dest, std::size_t max, Millis wait) override;
  void Close() override;
  QString Describe() const override;

 private:
  TcpChannel(int fd, QString host, quint16 port);

  int m_fd = -1;
  bool m_peerGone = false;
  QString m_host;
  quint16 m_port = 0;
};

}  // namespace ostrivane
