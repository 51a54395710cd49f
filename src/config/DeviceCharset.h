#pragma once

#include <QChar>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>

namespace ostrivane {

// The modulators' single-byte character set: Latin-1 with a few substitutions. Byte 0 ends a text
// and is never decoded; its entry is a full stop so that no character encodes to a terminator.
class DeviceCharset {
 public:
  static constexpr std::uint8_t kFullStop = 46;

  static const std::array<char16_t, 256>& Table();

  static QChar Decode(std::uint8_t byte) { return QChar(Table()[byte]); }
  // A character that occurs in the table travels as its own code; anything else as a full stop.
  static std::uint8_t Encode(QChar ch);

  static QString DecodeText(const std::uint8_t* bytes, std::size_t length);
};

}  // namespace ostrivane
