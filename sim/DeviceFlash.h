#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <cstdint>
#include <optional>

#include "sim/DeviceOutcome.h"

namespace ostrivane::sim {

// Where a type keeps its firmware in flash. The device knows its own layout; it deliberately
// does not share the tool's table, so a wrong row on either side shows up in tests.
struct DeviceFlashLayout {
  std::optional<std::uint16_t> mainArea;  // absent: programmed through command 0xC0
  bool mainHeader = false;                // "VEVE" + le32 length before the image
  bool mainTrailer = false;               // le32 byte sum after the image
  std::optional<std::uint16_t> secondaryArea;
  int secondarySkip = 0;
  std::optional<std::uint16_t> secondaryVersionArea;
};

DeviceFlashLayout FlashLayoutFor(std::uint8_t typeCode);

// One begin ... end sequence of command 0xB0 as the device received it.
struct FlashTransfer {
  std::uint16_t area = 0;
  QByteArray data;        // what the data steps carried, in order
  bool ended = false;     // an end step arrived (accepted or not)
  bool accepted = false;  // the end step was accepted
  QString verdict;        // what the device made of it
};

// Flash programming (0xB0) and the type-121 firmware programming (0xC0). Versions learned from
// images wait here until the device restarts.
class DeviceFlash {
 public:
  explicit DeviceFlash(std::uint8_t typeCode);

  DeviceOutcome HandleFlash(const QByteArray& payload);
  DeviceOutcome HandleFirmware121(const QByteArray& payload);

  std::optional<std::uint8_t> PendingMain() const { return m_pendingMain; }
  std::optional<std::uint8_t> PendingSecondary() const { return m_pendingSecondary; }
  // The device restarted: unfinished transfers are lost, pending versions have been applied.
  void Restarted();

  QVector<FlashTransfer> Transfers() const;
  QByteArray Firmware121Image() const { return m_last121Image; }

 private:
  DeviceOutcome Begin(const QByteArray& payload);
  DeviceOutcome Data(const QByteArray& payload);
  DeviceOutcome End();
  bool FinishMainImage(FlashTransfer& transfer);
  bool FinishSecondaryImage(FlashTransfer& transfer);
  bool FinishVersionRecord(FlashTransfer& transfer);
  DeviceOutcome Firmware121Block(const QByteArray& payload);
  DeviceOutcome Firmware121End();
  void Keep(FlashTransfer transfer);

  const std::uint8_t m_typeCode;
  const DeviceFlashLayout m_layout;
  std::optional<FlashTransfer> m_open;
  QVector<FlashTransfer> m_done;
  std::optional<std::uint8_t> m_pendingMain;
  std::optional<std::uint8_t> m_pendingSecondary;
  std::optional<QByteArray> m_121Image;
  QByteArray m_last121Image;
};

}  // namespace ostrivane::sim
