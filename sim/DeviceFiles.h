#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <optional>

#include "sim/DeviceOutcome.h"

namespace ostrivane::sim {

// The device's file system as command 0xA0 sees it: two log files with generated text, and
// whatever the tool uploads. One file is open at a time, like on the device.
class DeviceFiles {
 public:
  DeviceFiles(std::int64_t logFile0Size, std::int64_t logFileSize);

  // Payload of a 0xA0 request with a sub-operation byte (the EDID form has no payload).
  DeviceOutcome Handle(const QByteArray& payload);
  // Drops the open file; an upload that was not closed is lost (the device restarted).
  void CloseAll();

  QByteArray File(const QString& path) const;
  QStringList Paths() const;

  // Deterministic log text of exactly size bytes.
  static QByteArray LogText(const QString& name, std::int64_t size);
  // Path sent as low bytes up to a zero byte (or the end of the payload) after the sub-operation.
  static QString DecodeDeviceText(const QByteArray& bytes, qsizetype from);

 private:
  DeviceOutcome OpenForRead(const QByteArray& payload);
  DeviceOutcome ReadBlock(const QByteArray& payload);
  DeviceOutcome OpenForWrite(const QByteArray& payload);
  DeviceOutcome WriteBlock(const QByteArray& payload);
  DeviceOutcome Close();

  std::map<QString, QByteArray> m_files;
  std::optional<QString> m_readPath;
  qsizetype m_readPosition = 0;
  std::optional<QString> m_writePath;
  QByteArray m_writeData;
};

}  // namespace ostrivane::sim
