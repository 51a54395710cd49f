#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>

#include "config/RecordCodings.h"
#include "config/RecordShape.h"

namespace ostrivane {

// The reader and the writer offer the same item calls, so that each layout is described once
// (a Walk... template) and walked in both directions.
//
//   Byte/Le16/Le32/Sm16(field), Item<Coding>(field), Text(field): one item.
//   Header(typeCode): the "VEVE" header of the multi-output layout.
//   Optional(): whether an optional item or group is there; always true when writing.
//   Implied(field, value): a value the record implies without carrying it; only decoding sets it.

inline constexpr std::array<std::uint8_t, 4> kMultiMagic = {'V', 'E', 'V', 'E'};

// A cursor over an untrusted record with a sticky error: once an item would pass the end of the
// record, nothing more is read and Failed() stays true.
class RecordReader {
 public:
  RecordReader(const std::uint8_t* bytes, std::size_t length) : m_bytes(bytes), m_length(length) {}

  template <class Coding>
  void Item(std::int32_t& field) {
    std::uint32_t raw = 0;
    if (Take(Coding::kWire, raw)) field = Coding::Decode(raw);
  }
  void Byte(std::int32_t& field) { Item<coding::Byte>(field); }
  void Le16(std::int32_t& field) { Item<coding::Le16>(field); }
  void Le32(std::int32_t& field) { Item<coding::Le32>(field); }
  void Sm16(std::int32_t& field) { Item<coding::Sm16>(field); }
  // A text without its terminating zero runs to the end of the record.
  void Text(QString& field);
  void Header(std::uint8_t typeCode);

  bool Optional() const { return !m_failed && m_position < m_length; }
  static void Implied(std::int32_t& field, std::int32_t value) { field = value; }
  static void Implied(QString& field, const QString& value) { field = value; }

  bool Failed() const { return m_failed; }
  std::size_t Position() const { return m_position; }

 private:
  bool Take(Wire wire, std::uint32_t& raw);

  const std::uint8_t* m_bytes;
  std::size_t m_length;
  std::size_t m_position = 0;
  bool m_failed = false;
};

// Builds a record of at most kConfigImageMax bytes; a record that would not fit sets a sticky
// overflow instead of being cut.
class RecordWriter {
 public:
  template <class Coding>
  void Item(std::int32_t& field) {
    Put(Coding::kWire, Coding::Encode(field));
  }
  void Byte(std::int32_t& field) { Item<coding::Byte>(field); }
  void Le16(std::int32_t& field) { Item<coding::Le16>(field); }
  void Le32(std::int32_t& field) { Item<coding::Le32>(field); }
  void Sm16(std::int32_t& field) { Item<coding::Sm16>(field); }
  void Text(const QString& field);
  void Header(std::uint8_t typeCode);

  static bool Optional() { return true; }
  static void Implied(std::int32_t&, std::int32_t) {}
  static void Implied(QString&, const QString&) {}

  bool Overflowed() const { return m_overflow; }
  std::size_t Size() const { return m_size; }
  QByteArray Bytes() const {
    return QByteArray(reinterpret_cast<const char*>(m_bytes.data()),
                      static_cast<qsizetype>(m_size));
  }

 private:
  void Put(Wire wire, std::uint32_t raw);
  void PutByte(std::uint8_t byte) {
    if (m_size < m_bytes.size()) {
      m_bytes[m_size++] = byte;
    } else {
      m_overflow = true;
    }
  }

  std::array<std::uint8_t, kConfigImageMax> m_bytes{};
  std::size_t m_size = 0;
  bool m_overflow = false;
};

}  // namespace ostrivane
