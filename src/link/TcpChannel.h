#pragma once

#include <QString>
#include <memory>

#include "link/Channel.h"

class QTcpSocket;

namespace ostrivane {

// Blocking IPv4 TCP client. Every wait is a waitFor…() call on the socket, so it needs no event
// loop: it works on whichever thread created it, and must be used and destroyed on that thread.
// A peer that closes or resets the connection is noticed by the read or write that meets it: that
// call returns at once and the channel reports itself closed from then on.
class TcpChannel final : public Channel {
 public:
  // Connects to host (dotted IPv4 text) within timeoutMs; nullptr when that fails, with the
  // reason in why ("connection refused by 127.0.0.1:1").
  static std::unique_ptr<TcpChannel> Connect(const QString& host, quint16 port, int timeoutMs,
                                             LinkFailure* why = nullptr);
  ~TcpChannel() override;
  TcpChannel(const TcpChannel&) = delete;
  TcpChannel& operator=(const TcpChannel&) = delete;

  Kind GetKind() const override { return Kind::Tcp; }
  bool IsOpen() const override { return m_socket != nullptr && !m_lost; }
  // Sends the whole buffer, continuing after partial sends.
  bool Write(const std::uint8_t* data, std::size_t n) override;
  std::size_t Read(std::uint8_t* dest, std::size_t max, Millis wait) override;
  void Close() override;
  QString Describe() const override;

 private:
  TcpChannel(std::unique_ptr<QTcpSocket> socket, QString host, quint16 port);
  std::size_t TakeBuffered(std::uint8_t* dest, std::size_t max);
  bool PeerGone() const;

  std::unique_ptr<QTcpSocket> m_socket;
  bool m_lost = false;
  QString m_host;
  quint16 m_port = 0;
};

}  // namespace ostrivane
