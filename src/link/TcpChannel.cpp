#include "link/TcpChannel.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <algorithm>
#include <thread>

namespace ostrivane {

namespace {

// A peer that accepts nothing for this long is treated as gone rather than waited on forever.
constexpr int kSendStallLimitMs = 5000;

int ToQtWait(Millis wait) {
  return static_cast<int>(std::clamp<long long>(wait.count(), 0, 0x7fffffff));
}

LinkFailure ConnectFailure(const QTcpSocket& socket, const QString& host, quint16 port) {
  const QString where = QStringLiteral("%1:%2").arg(host).arg(port);
  switch (socket.error()) {
    case QAbstractSocket::ConnectionRefusedError:
      return {QStringLiteral("connection refused by %1"), {where}};
    case QAbstractSocket::SocketTimeoutError:
      return {QStringLiteral("no answer from %1 (connection timed out)"), {where}};
    default:
      return {QStringLiteral("cannot connect to %1: %2"), {where, socket.errorString()}};
  }
}

}  // namespace

std::unique_ptr<TcpChannel> TcpChannel::Connect(const QString& host, quint16 port, int timeoutMs,
                                                LinkFailure* why) {
  // Only dotted IPv4 text: a name would start a host lookup the deadline does not cover.
  QHostAddress address;
  if (!address.setAddress(host) || address.protocol() != QAbstractSocket::IPv4Protocol) {
    if (why) *why = {QStringLiteral("%1 is not an IPv4 address"), {host}};
    return nullptr;
  }
  auto socket = std::make_unique<QTcpSocket>();
  socket->connectToHost(address, port);
  if (!socket->waitForConnected(std::max(0, timeoutMs))) {
    if (why) *why = ConnectFailure(*socket, host, port);
    return nullptr;
  }
  // Requests are single small writes that wait for an answer: never hold them back.
  socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
  return std::unique_ptr<TcpChannel>(new TcpChannel(std::move(socket), host, port));
}

TcpChannel::TcpChannel(std::unique_ptr<QTcpSocket> socket, QString host, quint16 port)
    : m_socket(std::move(socket)), m_host(std::move(host)), m_port(port) {}

TcpChannel::~TcpChannel() {
  Close();
}

bool TcpChannel::PeerGone() const {
  return m_socket->state() != QAbstractSocket::ConnectedState;
}

bool TcpChannel::Write(const std::uint8_t* data, std::size_t n) {
  if (!IsOpen()) return false;
  const auto size = static_cast<qint64>(n);
  if (m_socket->write(reinterpret_cast<const char*>(data), size) != size) {
    m_lost = PeerGone();
    return false;
  }
  while (m_socket->bytesToWrite() > 0) {
    if (!m_socket->waitForBytesWritten(kSendStallLimitMs)) {
      m_lost = PeerGone();
      return false;
    }
  }
  return true;
}

std::size_t TcpChannel::TakeBuffered(std::uint8_t* dest, std::size_t max) {
  const qint64 got = m_socket->read(reinterpret_cast<char*>(dest), static_cast<qint64>(max));
  return got > 0 ? static_cast<std::size_t>(got) : 0;
}

std::size_t TcpChannel::Read(std::uint8_t* dest, std::size_t max, Millis wait) {
  // A connection already known to be gone answers nothing; sleeping out the wait keeps a caller
  // that ignores IsOpen() from spinning.
  if (!IsOpen() || max == 0) {
    std::this_thread::sleep_for(wait);
    return 0;
  }
  // Bytes the peer sent before closing are still delivered.
  if (m_socket->bytesAvailable() > 0) return TakeBuffered(dest, max);
  if (!PeerGone() && m_socket->waitForReadyRead(ToQtWait(wait))) return TakeBuffered(dest, max);
  if (m_socket->bytesAvailable() > 0) return TakeBuffered(dest, max);
  // Closed or reset by the peer: end the caller's wait now instead of at its deadline.
  m_lost = PeerGone();
  return 0;
}

void TcpChannel::Close() {
  // The bytes already handed to the system still go out; only the connection is given up.
  if (m_socket) m_socket->abort();
  m_socket.reset();
}

QString TcpChannel::Describe() const {
  return QStringLiteral("tcp:%1:%2").arg(m_host).arg(m_port);
}

}  // namespace ostrivane
