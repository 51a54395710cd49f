#pragma once

#include <QString>
#include <cstdint>
#include <span>

namespace ostrivane {

class CXmit;

// Command codes of the request catalogue (high nibble of the request header).
namespace cmd {
inline constexpr std::uint8_t Identify = 0x10;
inline constexpr std::uint8_t Restart = 0x20;
inline constexpr std::uint8_t PlayerControl = 0x30;
inline constexpr std::uint8_t ReadStatus = 0x40;
inline constexpr std::uint8_t WriteConfig = 0x50;
inline constexpr std::uint8_t ReadConfig = 0x70;
inline constexpr std::uint8_t RunCommandLine = 0x80;
inline constexpr std::uint8_t FactoryDefault = 0x90;
inline constexpr std::uint8_t FileTransfer = 0xA0;  // no payload: EDID programming
inline constexpr std::uint8_t Flash = 0xB0;
inline constexpr std::uint8_t Firmware121 = 0xC0;
inline constexpr std::uint8_t System = 0xD0;
}  // namespace cmd

// Sub-operation bytes (payload byte 0).
namespace sub {
inline constexpr std::uint8_t FileOpenWrite = 0, FileOpenRead = 1, FileClose = 2, FileReadBlock = 3,
                              FileWriteBlock = 4;
inline constexpr std::uint8_t FlashBegin = 0, FlashData = 5, FlashEnd = 2;
inline constexpr std::uint8_t FirmwareBegin = 0, FirmwareBlock = 1, FirmwareEnd = 2;
inline constexpr std::uint8_t SetClock = 0, Snapshot = 2, PanelOpened = 3;
}  // namespace sub

// Timeouts in 5 ms units per attempt.
namespace timeout {
inline constexpr int Short = 200;      // 1 s
inline constexpr int Normal = 500;     // 2.5 s
inline constexpr int Player = 1000;    // 5 s
inline constexpr int Long = 5000;      // 25 s
inline constexpr int VeryLong = 50000; // 250 s
}  // namespace timeout

inline constexpr std::size_t kTextPayloadSize = 256;
inline constexpr std::size_t kFileBlockSize = 400;
inline constexpr std::size_t kFlashBlockSize = 512;
inline constexpr std::size_t kReadBlockMax = 2048;

// Low byte of each UTF-16 code unit, then one terminating 0x00. Writes at most capacity bytes;
// returns the number written, or -1 (nothing usable) when the text does not fit.
int EncodeDeviceText(const QString& text, std::span<std::uint8_t> destination);

// 0xA0/1: size of the remote file, or -1 when the request failed or the path is too long.
std::int64_t OpenDeviceFileForRead(CXmit& link, const QString& remotePath);
// 0xA0/0 with WriteIndicator.
bool OpenDeviceFileForWrite(CXmit& link, const QString& remotePath);
// 0xB0/0 with the area as le16.
bool FlashBegin(CXmit& link, std::uint16_t area);
// 0xB0/5 followed by the data (at most 512 bytes).
bool FlashWrite(CXmit& link, std::span<const std::uint8_t> data);
// 0xB0/2.
bool FlashEnd(CXmit& link);
// 0x80 with WriteIndicator; a command line longer than 255 characters is not sent.
bool RunDeviceCommand(CXmit& link, const QString& commandLine);

}  // namespace ostrivane
