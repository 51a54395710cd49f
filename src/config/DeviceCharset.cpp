#include "config/DeviceCharset.h"

namespace ostrivane {

namespace {

constexpr char16_t kFullStopChar = u'.';

constexpr std::array<char16_t, 256> BuildTable() {
  std::array<char16_t, 256> table{};
  for (std::size_t code = 0; code < table.size(); ++code) {
    const bool printable = (code >= 32 && code <= 126) || code >= 161;
    table[code] = printable ? static_cast<char16_t>(code) : kFullStopChar;
  }
  table[34] = u'\'';  // the devices have no double quote
  table[173] = u'-';  // nor a soft hyphen
  return table;
}

constexpr std::array<char16_t, 256> kTable = BuildTable();

// encodable[c] is true when character c occurs somewhere in the table.
constexpr std::array<bool, 256> BuildEncodable() {
  std::array<bool, 256> encodable{};
  for (const char16_t ch : kTable) {
    if (ch < encodable.size()) encodable[ch] = true;
  }
  return encodable;
}

constexpr std::array<bool, 256> kEncodable = BuildEncodable();

}  // namespace

const std::array<char16_t, 256>& DeviceCharset::Table() {
  return kTable;
}

std::uint8_t DeviceCharset::Encode(QChar ch) {
  const char16_t code = ch.unicode();
  if (code < kEncodable.size() && kEncodable[code]) return static_cast<std::uint8_t>(code);
  return kFullStop;
}

QString DeviceCharset::DecodeText(const std::uint8_t* bytes, std::size_t length) {
  QString text(static_cast<qsizetype>(length), Qt::Uninitialized);
  QChar* out = text.data();
  for (std::size_t i = 0; i < length; ++i) out[i] = QChar(kTable[bytes[i]]);
  return text;
}

}  // namespace ostrivane
