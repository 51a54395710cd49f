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

  // How many times each request was made. A device job works on a copy of this state; when it
  // ends, a request made meanwhile (its count moved on) stands against the job's result, which
  // knew only the older one.
  struct RequestCounts {
    std::uint32_t send = 0;
    std::uint32_t factoryDefault = 0;
    std::uint32_t player = 0;
    std::uint32_t fourK = 0;
  };
  RequestCounts Requests;
  // The send request whose record the device took last: edits are unsent while Requests.send
  // has moved past it.
  std::uint32_t SentRequest = 0;

  // The edited record goes out two seconds after the last edit.
  void MarkForSending() {
    SendCountdown = kSendDelayTicks;
    ++Requests.send;
  }
  // The record goes out at the next tick.
  void RequestSendNow() {
    SendCountdown = 1;
    ++Requests.send;
  }
  // At the next tick, then stored as the device's default.
  void RequestFactoryDefault() {
    RequestSendNow();
    FactoryDefaultRequest = 1;
    ++Requests.factoryDefault;
  }
  // A new 4K choice: the device restarts after the send that carries it.
  void RequestFourKChange() {
    MarkForSending();
    FourKChanged = 1;
    ++Requests.fourK;
  }
  void RequestPlayer(std::uint8_t command) {
    PlayerCommand = command;
    ++Requests.player;
  }
  bool UnsentEdits() const { return Requests.send != SentRequest; }
};

}  // namespace ostrivane
