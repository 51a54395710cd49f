#include "files/DataFiles.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace ostrivane::datafiles {
namespace {

constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr qsizetype kSetupVersionSkip = 6;

struct LanguageCode {
  const char* code;
  int index;
};
constexpr LanguageCode kLanguageCodes[] = {{"EN", 0}, {"FR", 1}, {"IT", 2},
                                           {"DE", 3}, {"PO", 4}, {"ES", 5}};

// Splits off the next line at LF; returns false when nothing is left.
bool NextLine(QByteArrayView bytes, qsizetype& position, QByteArrayView& line) {
  if (position >= bytes.size()) return false;
  const QByteArrayView rest = bytes.sliced(position);
  const qsizetype end = rest.indexOf(kLineFeed);
  line = end < 0 ? rest : rest.first(end);
  position += end < 0 ? rest.size() : end + 1;
  if (end >= 0 && line.endsWith(kCarriageReturn)) line.chop(1);
  return true;
}

bool IsBlank(QChar c) {
  const char16_t u = c.unicode();
  return u == u' ' || u == u'\t' || u == u'\n' || u == u'\v' || u == u'\f' || u == u'\r';
}

bool IsDigit(QChar c) {
  return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Reads a decimal integer the way "%d" does: blanks, an optional sign, then at least one digit.
// Values beyond the int range saturate instead of wrapping.
bool ReadDecimal(QStringView text, int& value) {
  qsizetype i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  if (i >= text.size() || !IsDigit(text[i])) return false;
  constexpr std::int64_t kCap = std::int64_t{std::numeric_limits<int>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    magnitude = std::min<std::int64_t>(magnitude * 10 + (text[i].unicode() - u'0'), kCap);
  }
  if (negative) {
    value = static_cast<int>(-magnitude);
  } else {
    value = static_cast<int>(std::min<std::int64_t>(magnitude, kCap - 1));
  }
  return true;
}

}  // namespace

QString FirstLine(QByteArrayView bytes) {
  qsizetype position = 0;
  QByteArrayView line;
  if (!NextLine(bytes, position, line)) return {};
  return QLatin1String(line.data(), line.size());
}

int ParseLanguagePreference(QByteArrayView bytes) {
  const QString line = FirstLine(bytes);
  for (const LanguageCode& language : kLanguageCodes) {
    if (line.startsWith(QLatin1String(language.code), Qt::CaseSensitive)) {
      return language.index;
    }
  }
  return 0;
}

int ParseSetupVersion(QByteArrayView bytes) {
  const QString line = FirstLine(bytes);
  if (line.size() <= kSetupVersionSkip) return 0;
  int version = 0;
  for (qsizetype i = kSetupVersionSkip; i < line.size() && IsDigit(line[i]); ++i) {
    const int digit = line[i].unicode() - u'0';
    if (version > (std::numeric_limits<int>::max() - digit) / 10) {
      return std::numeric_limits<int>::max();
    }
    version = version * 10 + digit;
  }
  return version;
}

bool ParseChannelLine(const QString& line, ChannelEntry& entry) {
  const qsizetype firstComma = line.indexOf(QLatin1Char(','));
  if (firstComma < 0) return false;
  int serviceId = 0;
  if (!ReadDecimal(QStringView(line).first(firstComma), serviceId) || serviceId <= 0) return false;
  if (firstComma + 1 >= line.size()) return false;
  const qsizetype secondComma = line.indexOf(QLatin1Char(','), firstComma + 1);
  if (secondComma < 0) return false;
  int lcn = 0;
  if (!ReadDecimal(QStringView(line).sliced(secondComma + 1), lcn) || lcn <= 0) return false;
  entry.name = line.mid(firstComma + 1, secondComma - firstComma - 1);
  // Stored in 16 bits like the record fields they feed; larger numbers keep their low bits.
  entry.serviceId = static_cast<std::uint16_t>(serviceId);
  entry.lcn = static_cast<std::uint16_t>(lcn);
  return true;
}

QVector<ChannelEntry> ParseChannelList(QByteArrayView bytes, int maxEntries) {
  QVector<ChannelEntry> channels;
  qsizetype position = 0;
  QByteArrayView line;
  while (channels.size() < maxEntries && NextLine(bytes, position, line)) {
    ChannelEntry entry;
    if (ParseChannelLine(QLatin1String(line.data(), line.size()), entry)) {
      channels.append(entry);
    }
  }
  return channels;
}

}  // namespace ostrivane::datafiles
