#pragma once

#include <QByteArray>
#include <cstdint>

namespace ostrivane::sim {

inline constexpr qsizetype kSnapshotSize = 1024;

// The configuration record a new device of this type holds: a valid record for its layout.
QByteArray DefaultConfigRecord(std::uint8_t typeCode, std::uint8_t mainVersion);
// Whether the device stores a record sent to it: at most 1024 bytes, and a header (and length)
// that its layout accepts.
bool AcceptsConfigRecord(const QByteArray& record, std::uint8_t typeCode, std::uint8_t mainVersion);
// 128 x 64 one-bit picture in eight bands of 128 columns: a one-pixel border and the diagonal
// from the top-left corner, easy to recognise after conversion.
QByteArray SnapshotPattern();

}  // namespace ostrivane::sim
