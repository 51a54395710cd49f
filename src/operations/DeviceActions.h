#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <span>

#include "operations/OperationContext.h"

namespace ostrivane {

class CXmit;

inline constexpr std::size_t kSnapshotDataSize = 1024;
inline constexpr std::size_t kSnapshotBitmapSize = 1086;

// 0xD0/0 with the eight-byte clock payload (year little-endian).
bool SendDeviceClock(CXmit& link, std::uint16_t year, std::uint8_t month, std::uint8_t day,
                     std::uint8_t hour, std::uint8_t minute, std::uint8_t second);

// The "Clock Set" button: now in local time; a time that cannot be converted goes out as date
// 0/0/0 and time 255:255:255. True when the device took it.
bool SetClockFromComputer(OperationContext& ctx, const QDateTime& now);

// The 128 x 64 one-bit picture (eight bands of 128 columns, bit 0 the top row of a band) as a
// complete two-colour bitmap file. Pixels the data does not cover are black.
QByteArray SnapshotToBitmap(std::span<const std::uint8_t> data);

// Appends ".bmp" unless the path already ends with it (in any letter case).
QString WithBitmapExtension(const QString& path);

// The "Snapshot" button: request first, then the save dialog whatever the request gave.
void CaptureSnapshot(OperationContext& ctx);
// Its two halves, for a window that asks on its own thread: the picture data (empty when the
// request failed), then the dialog and the file (the answer may come later; prompts outlives it).
QByteArray RequestSnapshotData(CXmit& link);
void SaveSnapshot(Prompts& prompts, const QByteArray& data);

// Non-interactive variant: true when the picture arrived and the file at path was written.
bool CaptureSnapshotTo(OperationContext& ctx, const QString& path);

// The repair button: at once in manufacturer mode, otherwise after two confirmations it raises
// flags.EdidRequest for the connection loop.
void RequestEdidRepair(OperationContext& ctx);
// Its two confirmations, answered later: confirmed runs once both were answered OK (prompts
// outlives the questions).
void AskEdidRepair(Prompts& prompts, int language, std::function<void()> confirmed);

// The connection loop's programming step: clears flags.EdidRequest, shows the warning and the
// programming text, sends the command over the open link and closes a serial port.
void ProgramEdid(OperationContext& ctx);

// The Reset button: restart request, then the serial port is closed.
void ResetDevice(OperationContext& ctx);

}  // namespace ostrivane
