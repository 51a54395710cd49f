#pragma once

#include <QByteArray>

#include "config/ConfigCodec.h"

namespace ostrivane::test {

inline LayoutContext ContextFor(std::uint8_t typeCode, std::uint8_t mainVersion = 15) {
  return LayoutContext{typeCode, mainVersion, RecordShape::ForType(typeCode)};
}

// Golden records are written as spaced hex, one table row or block per line.
inline QByteArray Hex(const char* spacedHex) {
  return QByteArray::fromHex(spacedHex);
}

// Decodes and re-encodes without any edit in between, as the panel does on a read-back.
inline QByteArray Reencode(DeviceConfig& config, PanelState& panel, const LayoutContext& context) {
  QByteArray out;
  EncodeConfigImage(config, panel, context, out);
  return out;
}

}  // namespace ostrivane::test
