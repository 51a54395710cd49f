#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace ostrivane {

// How the pages read a number typed into an edit. Blanks around it are ignored and the decimal
// digits at its start count; an edit that starts with no digit holds no number and reads as 0.
// A minus sign before the digits, or a value the field cannot hold, is out of range (nullopt):
// the field's fallback then applies, as for any other out-of-range number. Reading never wraps,
// so a typed "-5" can never reach the record as 65531.
std::optional<std::uint32_t> ReadUnsignedEdit(const QString& text);
// The audio delay alone takes a sign; out of range beyond 32 bits.
std::optional<std::int32_t> ReadSignedEdit(const QString& text);

// The read-back rules of the pages. Each yields the fallback when the number is out of range.
// Above maximum → fallback.
std::int32_t ReadAtMost(const QString& text, std::uint32_t maximum, std::int32_t fallback);
// Outside [minimum, maximum] → fallback.
std::int32_t ReadWithin(const QString& text, std::uint32_t minimum, std::uint32_t maximum,
                        std::int32_t fallback);
// Below minimum → fallback (no upper bound beyond what a field holds).
std::int32_t ReadAtLeast(const QString& text, std::uint32_t minimum, std::int32_t fallback);
// Outside [minimum, maximum], signed → fallback.
std::int32_t ReadSignedWithin(const QString& text, std::int32_t minimum, std::int32_t maximum,
                              std::int32_t fallback);
// A 32-bit unsigned identifier kept as its bit pattern; out of range reads as 0.
std::int32_t ReadBitPattern(const QString& text);

// Decimal text of a field that holds a 32-bit unsigned value as its bit pattern.
QString ShowBitPattern(std::int32_t value);

}  // namespace ostrivane
