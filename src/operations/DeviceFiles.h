#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <span>

#include "operations/OperationContext.h"

namespace ostrivane {

class CXmit;

inline constexpr std::size_t kLogTransferBufferSize = 2048;
inline constexpr std::uint8_t kLogFillByte = 0xAB;

// File upload: 0xA0/0 for the remote path, the data as 0xA0/4 blocks of 400 bytes (stopping at
// the first refused block), then 0xA0/2 when there was any data. True when every request passed.
bool UploadDeviceFile(CXmit& link, const QString& remotePath, const QByteArray& data);

// Flash write: FlashBegin(area), FlashWrite in 512-byte pieces while each passes, FlashEnd when
// nothing failed. True when every request passed.
bool WriteFlashArea(CXmit& link, std::uint16_t area, std::span<const std::uint8_t> data);

// Appends the remote file to the local one, block by block, with progress on the status bar.
// Returns the outcome of the last block request (false when nothing was transferred).
bool DownloadDeviceFile(OperationContext& ctx, const QString& remotePath, const QString& localPath,
                        int index, int count);

// "LOG_yyyyMMdd_HHmmss.txt" from the local time of now (empty fields for an invalid time).
QString LogFileName(const QDateTime& now);

// The log button: both device logs into one new file in folder (empty: DefaultSaveFolder), then
// the "Logs saved into" message. Returns the local path.
QString DownloadLogs(OperationContext& ctx, const QDateTime& now, const QString& folder = {});

}  // namespace ostrivane
