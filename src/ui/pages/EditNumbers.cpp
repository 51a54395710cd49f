#include "ui/pages/EditNumbers.h"

#include <limits>

namespace ostrivane {

namespace {

constexpr std::uint64_t kUnsignedMax = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint32_t kFieldMax = std::numeric_limits<std::int32_t>::max();
// The magnitude of the most negative 32-bit number.
constexpr std::uint64_t kNegativeMax = kFieldMax + std::uint64_t{1};

bool IsDigit(QChar c) {
  return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

struct Digits {
  bool present = false;
  bool tooLong = false;
  std::uint64_t value = 0;
};

// The digits at the start of text (from position from), stopping at the first non-digit.
Digits LeadingDigits(const QString& text, qsizetype from) {
  Digits digits;
  for (qsizetype i = from; i < text.size() && IsDigit(text[i]); ++i) {
    digits.present = true;
    digits.value = digits.value * 10 + static_cast<std::uint64_t>(text[i].unicode() - u'0');
    // Stop growing once past 32 bits; the rest of the digits cannot bring it back.
    if (digits.value > kUnsignedMax) {
      digits.tooLong = true;
      digits.value = kUnsignedMax + 1;
    }
  }
  return digits;
}

bool StartsNegative(const QString& text) {
  return text.size() >= 2 && text[0] == QLatin1Char('-') && IsDigit(text[1]);
}

}  // namespace

std::optional<std::uint32_t> ReadUnsignedEdit(const QString& text) {
  const QString trimmed = text.trimmed();
  if (StartsNegative(trimmed)) return std::nullopt;
  const Digits digits = LeadingDigits(trimmed, 0);
  if (digits.tooLong) return std::nullopt;
  return static_cast<std::uint32_t>(digits.value);
}

std::optional<std::int32_t> ReadSignedEdit(const QString& text) {
  const QString trimmed = text.trimmed();
  const bool negative = StartsNegative(trimmed);
  const Digits digits = LeadingDigits(trimmed, negative ? 1 : 0);
  if (digits.tooLong) return std::nullopt;
  if (negative) {
    if (digits.value > kNegativeMax) return std::nullopt;
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(digits.value));
  }
  if (digits.value > kFieldMax) return std::nullopt;
  return static_cast<std::int32_t>(digits.value);
}

std::int32_t ReadAtMost(const QString& text, std::uint32_t maximum, std::int32_t fallback) {
  const auto value = ReadUnsignedEdit(text);
  if (!value || *value > maximum || *value > kFieldMax) return fallback;
  return static_cast<std::int32_t>(*value);
}

std::int32_t ReadWithin(const QString& text, std::uint32_t minimum, std::uint32_t maximum,
                        std::int32_t fallback) {
  const auto value = ReadUnsignedEdit(text);
  if (!value || *value < minimum || *value > maximum || *value > kFieldMax) return fallback;
  return static_cast<std::int32_t>(*value);
}

std::int32_t ReadAtLeast(const QString& text, std::uint32_t minimum, std::int32_t fallback) {
  return ReadWithin(text, minimum, kFieldMax, fallback);
}

std::int32_t ReadSignedWithin(const QString& text, std::int32_t minimum, std::int32_t maximum,
                              std::int32_t fallback) {
  const auto value = ReadSignedEdit(text);
  if (!value || *value < minimum || *value > maximum) return fallback;
  return *value;
}

std::int32_t ReadBitPattern(const QString& text) {
  const auto value = ReadUnsignedEdit(text);
  return value ? static_cast<std::int32_t>(*value) : 0;
}

QString ShowBitPattern(std::int32_t value) {
  return QString::number(static_cast<std::uint32_t>(value));
}

}  // namespace ostrivane
