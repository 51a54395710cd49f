#include "config/RecordIo.h"

#include "config/DeviceCharset.h"

namespace ostrivane {

namespace {

constexpr std::size_t WidthOf(Wire wire) {
  switch (wire) {
    case Wire::Byte:
      return 1;
    case Wire::Le16:
      return 2;
    case Wire::Le32:
      return 4;
  }
  return 0;
}

}  // namespace

bool RecordReader::Take(Wire wire, std::uint32_t& raw) {
  const std::size_t width = WidthOf(wire);
  if (m_failed || m_length - m_position < width) {
    m_failed = true;
    return false;
  }
  raw = 0;
  for (std::size_t i = 0; i < width; ++i) {
    raw |= static_cast<std::uint32_t>(m_bytes[m_position + i]) << (8 * i);
  }
  m_position += width;
  return true;
}

void RecordReader::Text(QString& field) {
  if (m_failed || m_position >= m_length) {
    m_failed = true;
    return;
  }
  std::size_t end = m_position;
  while (end < m_length && m_bytes[end] != 0) ++end;
  field = DeviceCharset::DecodeText(m_bytes + m_position, end - m_position);
  m_position = end < m_length ? end + 1 : end;
}

void RecordReader::Header(std::uint8_t typeCode) {
  for (const std::uint8_t expected : kMultiMagic) {
    std::uint32_t raw = 0;
    if (Take(Wire::Byte, raw) && raw != expected) m_failed = true;
  }
  std::uint32_t type = 0;
  if (Take(Wire::Byte, type) && type != typeCode) m_failed = true;
}

void RecordWriter::Put(Wire wire, std::uint32_t raw) {
  const std::size_t width = WidthOf(wire);
  for (std::size_t i = 0; i < width; ++i) PutByte(static_cast<std::uint8_t>(raw >> (8 * i)));
}

void RecordWriter::Text(const QString& field) {
  for (const QChar ch : field) PutByte(DeviceCharset::Encode(ch));
  PutByte(0);
}

void RecordWriter::Header(std::uint8_t typeCode) {
  for (const std::uint8_t byte : kMultiMagic) PutByte(byte);
  PutByte(typeCode);
}

}  // namespace ostrivane
