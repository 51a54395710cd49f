#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "common/Clock.h"
#include "sim/DeviceFiles.h"
#include "sim/DeviceFlash.h"
#include "sim/StatusRecord.h"

namespace ostrivane::sim {

// One request as the simulated device received it (after unstuffing).
struct SimRequest {
  std::uint8_t command = 0;  // high nibble of the header, e.g. 0x50
  QByteArray payload;
};

// Misbehaviour on demand. A fault applies to the requests that match onlyCommand (0: all) while
// remaining is not 0 (-1: for ever); each request it applies to uses up one.
struct SimFaults {
  bool silence = false;      // the request is not heard: no reply, nothing carried out
  bool badChecksum = false;  // carried out, but the reply's checksum is wrong
  bool refuse = false;       // not carried out, answered with status 0xE0
  std::chrono::milliseconds delay{0};
  bool splitReplies = false;      // the transport writes the reply one byte at a time
  int dropLinkAfterRequests = 0;  // 0: never; else the link drops at the request after N more
  // 0: never; else the link drops at the flash request (0xB0, 0xC0) after N more: lost mid-flash
  int dropLinkAfterFlashRequests = 0;
  std::uint8_t onlyCommand = 0;
  int remaining = -1;

  bool Any() const { return silence || badChecksum || refuse || delay.count() > 0 || splitReplies; }
};

struct SimOptions {
  std::uint8_t typeCode = 131;
  std::uint8_t mainVersion = 20;
  std::uint8_t spareVersion = 0;
  std::uint8_t secondaryVersion = 10;
  // How long the device stays away after a restart request.
  std::chrono::milliseconds restartDuration{3000};
  std::int64_t logFile0Size = 5000;  // "/logFile.0"
  std::int64_t logFileSize = 3000;   // "/logFile"
  int baudRate = 0;                  // transports pace their bytes to this; 0: unpaced
  SimFaults faults;
};

// What a transport does with one answer.
struct SimReply {
  QByteArray bytes;                    // stuffed reply frame(s); empty: stay silent
  bool splitIntoSingleBytes = false;   // write one byte at a time
  std::chrono::milliseconds delay{0};  // wait before answering
  bool dropLink = false;               // close the connection instead of answering
};

struct SimVersions {
  std::uint8_t main = 0;
  std::uint8_t spare = 0;
  std::uint8_t secondary = 0;
};

// Requests whose only effect is that they happened.
struct SimCounters {
  int restarts = 0;
  int factoryDefaults = 0;
  int edidProgrammings = 0;
  int panelOpened = 0;
  int clockSets = 0;
  int snapshots = 0;
  int badFrames = 0;  // request frames with a wrong checksum, ignored like a device would
};

// The device side of the protocol: fed the bytes the tool sends, it answers like a modulator.
// Thread-safe; the transports (TCP, pty, in-process SimChannel) share one instance. Each
// connection passes its own source id so that partial frames of two connections never mix.
class SimulatedModulator {
 public:
  // clock: time source of restarts and the device clock (tests pass a FakeClock); nullptr: real.
  explicit SimulatedModulator(const SimOptions& options, Clock* clock = nullptr);
  ~SimulatedModulator();
  SimulatedModulator(const SimulatedModulator&) = delete;
  SimulatedModulator& operator=(const SimulatedModulator&) = delete;

  // Bytes from the tool in; one SimReply per complete request found (incomplete input is kept).
  QVector<SimReply> Handle(const QByteArray& incoming, quintptr source = 0);
  // Convenience: concatenated reply bytes, faults other than silence ignored.
  QByteArray HandleBytes(const QByteArray& incoming, quintptr source = 0);
  // Forgets a partial frame of a source (its connection closed).
  void ResetInput(quintptr source = 0);

  // Every complete request received so far, in order (the oldest go beyond 20000).
  QVector<SimRequest> Requests() const;
  void ClearRequests();

  void SetFaults(const SimFaults& faults);
  SimFaults Faults() const;

  std::uint8_t TypeCode() const { return m_typeCode; }
  SimVersions Versions() const;
  // True while the device is away after a restart request.
  bool IsOffline() const;
  SimCounters Counters() const;

  QByteArray ConfigRecord() const;
  void SetConfigRecord(const QByteArray& record);

  void SetServiceStatus(int service, const SimServiceStatus& status);
  SimServiceStatus ServiceStatus(int service) const;
  void SetUsbMedium(bool present, const QStringList& files);
  void SetOverlayFiles(bool present, const QStringList& files);
  void SetBitrate(int modulator, std::uint32_t capacityBps, std::uint32_t currentKbps);
  void SetUsbMode(std::uint8_t mode);
  std::uint8_t UsbMode() const;
  QDateTime DeviceClock() const;
  void SetDeviceClock(const QDateTime& localTime);

  QStringList CommandLines() const;
  QByteArray StoredFile(const QString& path) const;
  QStringList StoredFilePaths() const;
  QVector<FlashTransfer> FlashTransfers() const;
  QByteArray Firmware121Image() const;

 private:
  struct InputState;

  SimReply Process(const SimRequest& request);
  std::optional<SimReply> ApplyEntryFaults(const SimRequest& request, SimFaults& applied);
  DeviceOutcome Dispatch(const SimRequest& request);
  DeviceOutcome Identify() const;
  DeviceOutcome Restart();
  DeviceOutcome Player(const QByteArray& payload);
  DeviceOutcome WriteConfig(const QByteArray& payload);
  DeviceOutcome RunCommandLine(const QByteArray& payload);
  DeviceOutcome FileTransfer(const QByteArray& payload);
  DeviceOutcome System(const QByteArray& payload);
  DeviceOutcome SetClockFrom(const QByteArray& payload);
  QDateTime ClockNow() const;
  void ComeBackIfDue();
  void Record(const SimRequest& request);

  const std::uint8_t m_typeCode;
  SteadyClock m_ownClock;
  Clock& m_clock;

  mutable std::mutex m_mutex;
  SimOptions m_options;
  SimVersions m_versions;
  SimCounters m_counters;
  std::map<quintptr, std::unique_ptr<InputState>> m_inputs;
  QVector<SimRequest> m_requests;
  int m_requestsSinceDrop = 0;
  int m_flashRequestsSinceDrop = 0;
  std::optional<Millis> m_offlineUntil;
  QByteArray m_configRecord;
  SimStatusState m_status;
  QDateTime m_clockBase;
  Millis m_clockSetAt{0};
  QStringList m_commandLines;
  DeviceFiles m_files;
  DeviceFlash m_flash;
};

}  // namespace ostrivane::sim
