#pragma once

#include <QString>
#include <memory>

#include "link/Channel.h"

class QSerialPort;

namespace ostrivane {

// A serial port (USB CDC-ACM or a pseudo-terminal) at 115200 8N1 with DTR and RTS raised and no
// flow control. Reads wait on the port for the remaining time; nothing polls in a loop.
class SerialChannel final : public Channel {
 public:
  // nullptr when the port cannot be opened, with the reason in why.
  static std::unique_ptr<SerialChannel> Open(const QString& path, LinkFailure* why = nullptr);
  ~SerialChannel() override;
  SerialChannel(const SerialChannel&) = delete;
  SerialChannel& operator=(const SerialChannel&) = delete;

  Kind GetKind() const override { return Kind::Serial; }
  bool IsOpen() const override;
  bool Write(const std::uint8_t* data, std::size_t n) override;
  std::size_t Read(std::uint8_t* dest, std::size_t max, Millis wait) override;
  void Close() override;
  QString Describe() const override;

 private:
  SerialChannel(std::unique_ptr<QSerialPort> port, QString path);

  std::unique_ptr<QSerialPort> m_port;
  QString m_path;
};

}  // namespace ostrivane
