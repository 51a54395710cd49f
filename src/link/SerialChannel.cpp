#include "link/SerialChannel.h"

#include <QSerialPort>
#include <algorithm>
#include <thread>

namespace ostrivane {

namespace {

constexpr qint32 kBaudRate = 115200;
// Far longer than 400 bytes take at 115200 baud; a port that drains nothing for this long is stuck.
constexpr int kWriteStallLimitMs = 5000;

// How the port reports a device that went away: the descriptor fails (ResourceError) or reads
// fail after a hang-up (ReadError). A time-out or a parity hiccup leaves the port usable.
bool IsPortGone(QSerialPort::SerialPortError error) {
  return error == QSerialPort::ResourceError || error == QSerialPort::ReadError;
}

int ToQtWait(Millis wait) {
  return static_cast<int>(std::clamp<long long>(wait.count(), 0, 0x7fffffff));
}

// The usual causes in the words an installer can act on.
LinkFailure OpenFailure(const QString& path, QSerialPort::SerialPortError error,
                        const QString& detail) {
  switch (error) {
    case QSerialPort::PermissionError:
      return {
          QStringLiteral("cannot open %1: permission denied — is the user in the dialout group?"),
          {path}};
    case QSerialPort::DeviceNotFoundError:
      return {QStringLiteral("cannot open %1: no such device"), {path}};
    default:
      return {QStringLiteral("cannot open %1: %2"), {path, detail}};
  }
}

}  // namespace

std::unique_ptr<SerialChannel> SerialChannel::Open(const QString& path, LinkFailure* why) {
  auto port = std::make_unique<QSerialPort>();
  port->setPortName(path);
  if (!port->open(QIODevice::ReadWrite)) {
    if (why) *why = OpenFailure(path, port->error(), port->errorString());
    return nullptr;
  }
  // As with the original port set-up, the results are not examined: a pseudo-terminal has no
  // modem lines, and a port that ignores a setting simply fails to identify.
  port->setBaudRate(kBaudRate);
  port->setDataBits(QSerialPort::Data8);
  port->setParity(QSerialPort::NoParity);
  port->setStopBits(QSerialPort::OneStop);
  port->setFlowControl(QSerialPort::NoFlowControl);
  port->setDataTerminalReady(true);
  port->setRequestToSend(true);
  return std::unique_ptr<SerialChannel>(new SerialChannel(std::move(port), path));
}

SerialChannel::SerialChannel(std::unique_ptr<QSerialPort> port, QString path)
    : m_port(std::move(port)), m_path(std::move(path)) {}

SerialChannel::~SerialChannel() {
  Close();
}

bool SerialChannel::IsOpen() const {
  return m_port && m_port->isOpen();
}

bool SerialChannel::Write(const std::uint8_t* data, std::size_t n) {
  if (!IsOpen()) return false;
  const auto size = static_cast<qint64>(n);
  bool written = m_port->write(reinterpret_cast<const char*>(data), size) == size;
  while (written && m_port->bytesToWrite() > 0) {
    written = m_port->waitForBytesWritten(kWriteStallLimitMs);
  }
  // A failed write leaves the port open, unless the device itself has gone.
  if (!written && m_port->error() == QSerialPort::ResourceError) Close();
  return written;
}

std::size_t SerialChannel::Read(std::uint8_t* dest, std::size_t max, Millis wait) {
  // A port already known to be gone answers nothing; sleeping out the wait keeps a caller that
  // ignores IsOpen() from spinning.
  if (!IsOpen() || max == 0) {
    std::this_thread::sleep_for(wait);
    return 0;
  }
  if (m_port->bytesAvailable() == 0) {
    m_port->clearError();
    if (!m_port->waitForReadyRead(ToQtWait(wait))) {
      // Cable pulled or the other side of a pseudo-terminal closed: the port is dead for good, so
      // the caller hears it now instead of at its deadline.
      if (IsPortGone(m_port->error())) Close();
      return 0;
    }
  }
  const qint64 got = m_port->read(reinterpret_cast<char*>(dest), static_cast<qint64>(max));
  return got > 0 ? static_cast<std::size_t>(got) : 0;
}

void SerialChannel::Close() {
  if (m_port && m_port->isOpen()) m_port->close();
}

QString SerialChannel::Describe() const {
  return QStringLiteral("serial:") + m_path;
}

}  // namespace ostrivane
