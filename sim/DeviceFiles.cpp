#include "sim/DeviceFiles.h"

#include <algorithm>

#include "link/FrameCodec.h"

namespace ostrivane::sim {

namespace {

constexpr std::uint8_t kOpenWrite = 0;
constexpr std::uint8_t kOpenRead = 1;
constexpr std::uint8_t kClose = 2;
constexpr std::uint8_t kReadBlock = 3;
constexpr std::uint8_t kWriteBlock = 4;
constexpr qsizetype kReadBlockMax = 2048;
constexpr qsizetype kFileSizeMax = 16 * 1024 * 1024;
// STX, header, two length bytes and the checksum, each possibly doubled.
constexpr qsizetype kFrameOverhead = 10;

std::uint8_t ByteAt(const QByteArray& bytes, qsizetype i) {
  return static_cast<std::uint8_t>(bytes.at(i));
}

QByteArray Le32(std::uint32_t value) {
  QByteArray out;
  for (int shift = 0; shift < 32; shift += 8)
    out.append(static_cast<char>((value >> shift) & 0xFF));
  return out;
}

}  // namespace

DeviceFiles::DeviceFiles(std::int64_t logFile0Size, std::int64_t logFileSize) {
  m_files[QStringLiteral("/logFile.0")] = LogText(QStringLiteral("logFile.0"), logFile0Size);
  m_files[QStringLiteral("/logFile")] = LogText(QStringLiteral("logFile"), logFileSize);
}

QByteArray DeviceFiles::LogText(const QString& name, std::int64_t size) {
  const qsizetype wanted = static_cast<qsizetype>(std::clamp<std::int64_t>(size, 0, kFileSizeMax));
  QByteArray text;
  text.reserve(wanted + 80);
  for (int line = 1; text.size() < wanted; ++line) {
    text += QStringLiteral("%1 %2 ostrivane-sim: encoder running, output locked\n")
                .arg(name)
                .arg(line, 6, 10, QLatin1Char('0'))
                .toLatin1();
  }
  text.truncate(wanted);
  return text;
}

QString DeviceFiles::DecodeDeviceText(const QByteArray& bytes, qsizetype from) {
  QString text;
  for (qsizetype i = from; i < bytes.size() && bytes.at(i) != '\0'; ++i) {
    text.append(QChar(static_cast<char16_t>(ByteAt(bytes, i))));
  }
  return text;
}

DeviceOutcome DeviceFiles::Handle(const QByteArray& payload) {
  if (payload.isEmpty()) return Refuse;
  switch (ByteAt(payload, 0)) {
    case kOpenWrite:
      return OpenForWrite(payload);
    case kOpenRead:
      return OpenForRead(payload);
    case kClose:
      return Close();
    case kReadBlock:
      return ReadBlock(payload);
    case kWriteBlock:
      return WriteBlock(payload);
    default:
      return Refuse;
  }
}

void DeviceFiles::CloseAll() {
  m_readPath.reset();
  m_readPosition = 0;
  m_writePath.reset();
  m_writeData.clear();
}

DeviceOutcome DeviceFiles::OpenForRead(const QByteArray& payload) {
  const QString path = DecodeDeviceText(payload, 1);
  CloseAll();
  const auto found = m_files.find(path);
  if (found == m_files.end()) return Refuse;
  m_readPath = path;
  return Accept(Le32(static_cast<std::uint32_t>(found->second.size())));
}

DeviceOutcome DeviceFiles::ReadBlock(const QByteArray& payload) {
  if (!m_readPath || payload.size() < 3) return Refuse;
  const qsizetype count = ByteAt(payload, 1) | (ByteAt(payload, 2) << 8);
  if (count > kReadBlockMax) return Refuse;
  const QByteArray& content = m_files[*m_readPath];
  const QByteArray block = content.mid(m_readPosition, count);
  // A block of mostly 0x02 bytes would not fit a stuffed frame; refusing keeps the position, so
  // nothing is skipped silently.
  if (block.size() + block.count(static_cast<char>(kStx)) + kFrameOverhead >
      static_cast<qsizetype>(kFrameBufferSize)) {
    return Refuse;
  }
  m_readPosition += block.size();
  return Accept(block);
}

DeviceOutcome DeviceFiles::OpenForWrite(const QByteArray& payload) {
  const QString path = DecodeDeviceText(payload, 1);
  CloseAll();
  if (!path.startsWith(QLatin1Char('/')) || path.size() < 2) return Refuse;
  m_writePath = path;
  return Accept();
}

DeviceOutcome DeviceFiles::WriteBlock(const QByteArray& payload) {
  if (!m_writePath) return Refuse;
  if (m_writeData.size() + payload.size() - 1 > kFileSizeMax) return Refuse;
  m_writeData.append(payload.constData() + 1, payload.size() - 1);
  return Accept();
}

DeviceOutcome DeviceFiles::Close() {
  if (m_writePath) m_files[*m_writePath] = m_writeData;
  CloseAll();
  return Accept();
}

QByteArray DeviceFiles::File(const QString& path) const {
  const auto found = m_files.find(path);
  return found == m_files.end() ? QByteArray() : found->second;
}

QStringList DeviceFiles::Paths() const {
  QStringList paths;
  for (const auto& [path, content] : m_files) paths.append(path);
  return paths;
}

}  // namespace ostrivane::sim
