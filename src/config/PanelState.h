#pragma once

#include <QString>
#include <cstdint>

namespace ostrivane {

// Coordination state shared by the record codec, the periodic transfer and the panel pages.
struct PanelState {
  static constexpr std::uint8_t kSendDelayTicks = 10;

  std::uint8_t SendCountdown = 0;
  std::uint8_t FactoryDefaultRequest = 0;
  std::uint8_t PanelActive = 0;
  std::uint8_t PlayerCommand = 0;  // 0 none, 1 play, 2 record, 3 stop
  std::uint8_t FourKChanged = 0;
  std::int32_t UpdatingGuard = 0;
  // A record of the connected device was read and decoded since the connection opened: only then
  // may the model go back to the device as a whole record.
  bool DeviceRecordRead = false;

  // Current texts of the USB file name, overlay file and logo fields of the panel.
  QString UsbFileNameText;
  QString OverlayFileText;
  QString LogoFieldText;

  void MarkForSending() { SendCountdown = kSendDelayTicks; }
};

}  // namespace ostrivane
