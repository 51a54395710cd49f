#pragma once

#include <QByteArray>
#include <optional>

namespace ostrivane::sim {

// What the device makes of one request: accepted with a reply payload, or refused (nullopt).
using DeviceOutcome = std::optional<QByteArray>;

inline DeviceOutcome Accept(const QByteArray& payload = {}) {
  return payload;
}
inline constexpr std::nullopt_t Refuse = std::nullopt;

}  // namespace ostrivane::sim
