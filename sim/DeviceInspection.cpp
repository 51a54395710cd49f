// The simulated device's settings and observations for tests and the simulator's command line:
// everything here takes the device's lock for one read or write.
#include "sim/SimulatedModulator.h"

namespace ostrivane::sim {

QVector<SimRequest> SimulatedModulator::Requests() const {
  std::lock_guard lock(m_mutex);
  // A deep copy: a shared one would let the reader's buffers be reused by the transports' next
  // append, decided by a reference count the reader's thread never synchronises with.
  QVector<SimRequest> copy;
  copy.reserve(m_requests.size());
  for (const SimRequest& request : m_requests) {
    copy.append(SimRequest{request.command,
                           QByteArray(request.payload.constData(), request.payload.size())});
  }
  return copy;
}

void SimulatedModulator::ClearRequests() {
  std::lock_guard lock(m_mutex);
  m_requests.clear();
}

void SimulatedModulator::SetFaults(const SimFaults& faults) {
  std::lock_guard lock(m_mutex);
  m_options.faults = faults;
  m_requestsSinceDrop = 0;
  m_flashRequestsSinceDrop = 0;
}

SimFaults SimulatedModulator::Faults() const {
  std::lock_guard lock(m_mutex);
  return m_options.faults;
}

SimVersions SimulatedModulator::Versions() const {
  std::lock_guard lock(m_mutex);
  return m_versions;
}

bool SimulatedModulator::IsOffline() const {
  std::lock_guard lock(m_mutex);
  return m_offlineUntil && m_clock.Now() < *m_offlineUntil;
}

SimCounters SimulatedModulator::Counters() const {
  std::lock_guard lock(m_mutex);
  return m_counters;
}

QByteArray SimulatedModulator::ConfigRecord() const {
  std::lock_guard lock(m_mutex);
  return m_configRecord;
}

void SimulatedModulator::SetConfigRecord(const QByteArray& record) {
  std::lock_guard lock(m_mutex);
  m_configRecord = record;
}

void SimulatedModulator::SetServiceStatus(int service, const SimServiceStatus& status) {
  std::lock_guard lock(m_mutex);
  if (service >= 0 && service < kSimServiceSlots)
    m_status.services[static_cast<std::size_t>(service)] = status;
}

SimServiceStatus SimulatedModulator::ServiceStatus(int service) const {
  std::lock_guard lock(m_mutex);
  if (service < 0 || service >= kSimServiceSlots) return {};
  return m_status.services[static_cast<std::size_t>(service)];
}

void SimulatedModulator::SetUsbMedium(bool present, const QStringList& files) {
  std::lock_guard lock(m_mutex);
  m_status.usbMediumPresent = present;
  m_status.usbFiles = files;
}

void SimulatedModulator::SetOverlayFiles(bool present, const QStringList& files) {
  std::lock_guard lock(m_mutex);
  m_status.overlayPresent = present;
  m_status.overlayFiles = files;
}

void SimulatedModulator::SetBitrate(int modulator, std::uint32_t capacityBps,
                                    std::uint32_t currentKbps) {
  std::lock_guard lock(m_mutex);
  if (modulator < 0 || modulator >= kSimModulatorSlots) return;
  m_status.bitrates[static_cast<std::size_t>(modulator)] = {capacityBps, currentKbps};
}

void SimulatedModulator::SetUsbMode(std::uint8_t mode) {
  std::lock_guard lock(m_mutex);
  m_status.usbMode = mode;
}

std::uint8_t SimulatedModulator::UsbMode() const {
  std::lock_guard lock(m_mutex);
  return m_status.usbMode;
}

QDateTime SimulatedModulator::DeviceClock() const {
  std::lock_guard lock(m_mutex);
  return ClockNow();
}

void SimulatedModulator::SetDeviceClock(const QDateTime& localTime) {
  std::lock_guard lock(m_mutex);
  m_clockBase = localTime;
  m_clockSetAt = m_clock.Now();
}

QStringList SimulatedModulator::CommandLines() const {
  std::lock_guard lock(m_mutex);
  return m_commandLines;
}

QByteArray SimulatedModulator::StoredFile(const QString& path) const {
  std::lock_guard lock(m_mutex);
  return m_files.File(path);
}

QStringList SimulatedModulator::StoredFilePaths() const {
  std::lock_guard lock(m_mutex);
  return m_files.Paths();
}

QVector<FlashTransfer> SimulatedModulator::FlashTransfers() const {
  std::lock_guard lock(m_mutex);
  return m_flash.Transfers();
}

QByteArray SimulatedModulator::Firmware121Image() const {
  std::lock_guard lock(m_mutex);
  return m_flash.Firmware121Image();
}

}  // namespace ostrivane::sim
