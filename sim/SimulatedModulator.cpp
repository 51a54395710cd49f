#include "sim/SimulatedModulator.h"

#include <array>
#include <span>

#include "link/FrameCodec.h"
#include "sim/DeviceDefaults.h"

namespace ostrivane::sim {

namespace {

constexpr std::uint8_t kIdentify = 0x10;
constexpr std::uint8_t kRestart = 0x20;
constexpr std::uint8_t kPlayer = 0x30;
constexpr std::uint8_t kReadStatus = 0x40;
constexpr std::uint8_t kWriteConfig = 0x50;
constexpr std::uint8_t kReadConfig = 0x70;
constexpr std::uint8_t kCommandLine = 0x80;
constexpr std::uint8_t kFactoryDefault = 0x90;
constexpr std::uint8_t kFileTransfer = 0xA0;
constexpr std::uint8_t kFlash = 0xB0;
constexpr std::uint8_t kFirmware121 = 0xC0;
constexpr std::uint8_t kSystem = 0xD0;
constexpr std::uint8_t kRequestHeaderMin = 0x10;
constexpr std::uint8_t kStatusHeaderMin = 0xE0;

constexpr std::uint8_t kSetClock = 0;
constexpr std::uint8_t kSnapshot = 2;
constexpr std::uint8_t kPanelOpened = 3;
constexpr qsizetype kClockPayloadSize = 8;

constexpr std::uint8_t kPlay = 1, kRecord = 2, kStop = 3;
constexpr std::uint8_t kUsbIdle = 0, kUsbRecording = 1, kUsbPlaying = 2;
constexpr std::uint8_t kModeNone = 1, kModeManualPlay = 2, kModeManualRecord = 3;

constexpr qsizetype kRequestsKept = 20000;

std::uint8_t ByteAt(const QByteArray& bytes, qsizetype i) {
  return static_cast<std::uint8_t>(bytes.at(i));
}

QByteArray Frame(LinkStatus status, const QByteArray& payload) {
  EncodedFrame frame;
  const auto* data = reinterpret_cast<const std::uint8_t*>(payload.constData());
  if (!EncodeReply(status, std::span(data, static_cast<std::size_t>(payload.size())), frame)) {
    // An answer that does not fit a frame becomes a refusal rather than a truncated reply.
    EncodeReply(LinkStatus::Refused, {}, frame);
  }
  return QByteArray(reinterpret_cast<const char*>(frame.bytes.data()),
                    static_cast<qsizetype>(frame.length));
}

// Replaces the checksum (the last unstuffed byte) by a wrong one, keeping the stuffing valid.
QByteArray CorruptChecksum(QByteArray frame) {
  const bool stuffed = frame.size() >= 2 && ByteAt(frame, frame.size() - 1) == kStx;
  const auto checksum = ByteAt(frame, frame.size() - 1);
  frame.chop(stuffed ? 2 : 1);
  const auto wrong = static_cast<std::uint8_t>(checksum ^ 0x01);
  frame.append(static_cast<char>(wrong));
  if (wrong == kStx) frame.append(static_cast<char>(wrong));
  return frame;
}

}  // namespace

// Decoder state of one connection; the decoder points into the buffer, so it never moves.
struct SimulatedModulator::InputState {
  std::array<std::uint8_t, kFrameBufferSize> buffer{};
  ReplyDecoder decoder{buffer, kRequestHeaderMin};
};

SimulatedModulator::SimulatedModulator(const SimOptions& options, Clock* clock)
    : m_typeCode(options.typeCode),
      m_clock(clock ? *clock : static_cast<Clock&>(m_ownClock)),
      m_options(options),
      m_versions{options.mainVersion, options.spareVersion, options.secondaryVersion},
      m_configRecord(DefaultConfigRecord(options.typeCode, options.mainVersion)),
      m_clockBase(QDateTime::currentDateTime()),
      m_clockSetAt(m_clock.Now()),
      m_files(options.logFile0Size, options.logFileSize),
      m_flash(options.typeCode) {}

SimulatedModulator::~SimulatedModulator() = default;

QVector<SimReply> SimulatedModulator::Handle(const QByteArray& incoming, quintptr source) {
  std::lock_guard lock(m_mutex);
  auto& slot = m_inputs[source];
  if (!slot) slot = std::make_unique<InputState>();
  InputState& input = *slot;
  QVector<SimReply> replies;
  for (const char c : incoming) {
    const auto result = input.decoder.Feed(static_cast<std::uint8_t>(c));
    if (result == ReplyDecoder::Result::InProgress) continue;
    if (result == ReplyDecoder::Result::BadFrame) {
      ++m_counters.badFrames;
      continue;
    }
    SimRequest request;
    request.command = static_cast<std::uint8_t>(input.decoder.Status());
    // A reply frame coming back (an echoing line) is no request; answering it could ping-pong.
    if (request.command >= kStatusHeaderMin) continue;
    request.payload = QByteArray(reinterpret_cast<const char*>(input.buffer.data()),
                                 static_cast<qsizetype>(input.decoder.Length()));
    replies.append(Process(request));
  }
  return replies;
}

QByteArray SimulatedModulator::HandleBytes(const QByteArray& incoming, quintptr source) {
  QByteArray bytes;
  for (const SimReply& reply : Handle(incoming, source)) bytes += reply.bytes;
  return bytes;
}

void SimulatedModulator::ResetInput(quintptr source) {
  std::lock_guard lock(m_mutex);
  m_inputs.erase(source);
}

SimReply SimulatedModulator::Process(const SimRequest& request) {
  Record(request);
  ComeBackIfDue();
  SimReply reply;
  if (m_offlineUntil) {
    reply.dropLink = true;
    return reply;
  }
  SimFaults applied;
  if (auto early = ApplyEntryFaults(request, applied)) return *early;
  const DeviceOutcome outcome = Dispatch(request);
  reply.bytes = outcome ? Frame(LinkStatus::Accepted, *outcome) : Frame(LinkStatus::Refused, {});
  if (applied.badChecksum) reply.bytes = CorruptChecksum(reply.bytes);
  reply.delay = applied.delay;
  reply.splitIntoSingleBytes = applied.splitReplies;
  return reply;
}

// Faults that decide before the device acts: a dropped link, silence and refusal. The faults
// that apply to this request are copied into applied.
std::optional<SimReply> SimulatedModulator::ApplyEntryFaults(const SimRequest& request,
                                                             SimFaults& applied) {
  SimFaults& faults = m_options.faults;
  SimReply reply;
  if (faults.dropLinkAfterRequests > 0 && ++m_requestsSinceDrop > faults.dropLinkAfterRequests) {
    faults.dropLinkAfterRequests = 0;
    m_requestsSinceDrop = 0;
    reply.dropLink = true;
    return reply;
  }
  const bool flash = request.command == kFlash || request.command == kFirmware121;
  if (flash && faults.dropLinkAfterFlashRequests > 0 &&
      ++m_flashRequestsSinceDrop > faults.dropLinkAfterFlashRequests) {
    faults.dropLinkAfterFlashRequests = 0;
    m_flashRequestsSinceDrop = 0;
    reply.dropLink = true;
    return reply;
  }
  const bool matches = faults.onlyCommand == 0 || faults.onlyCommand == request.command;
  if (!matches || faults.remaining == 0 || !faults.Any()) return std::nullopt;
  applied = faults;
  if (faults.remaining > 0) --faults.remaining;
  if (applied.silence) return reply;
  if (applied.refuse) {
    reply.bytes = Frame(LinkStatus::Refused, {});
    reply.delay = applied.delay;
    reply.splitIntoSingleBytes = applied.splitReplies;
    if (applied.badChecksum) reply.bytes = CorruptChecksum(reply.bytes);
    return reply;
  }
  return std::nullopt;
}

DeviceOutcome SimulatedModulator::Dispatch(const SimRequest& request) {
  const QByteArray& payload = request.payload;
  switch (request.command) {
    case kIdentify:
      return Identify();
    case kRestart:
      return Restart();
    case kPlayer:
      return Player(payload);
    case kReadStatus:
      return BuildStatusRecord(m_typeCode, m_versions.main, m_status, ClockNow());
    case kWriteConfig:
      return WriteConfig(payload);
    case kReadConfig:
      return Accept(m_configRecord);
    case kCommandLine:
      return RunCommandLine(payload);
    case kFactoryDefault:
      ++m_counters.factoryDefaults;
      return Accept();
    case kFileTransfer:
      return FileTransfer(payload);
    case kFlash:
      return m_flash.HandleFlash(payload);
    case kFirmware121:
      return m_flash.HandleFirmware121(payload);
    case kSystem:
      return System(payload);
    default:
      return Refuse;
  }
}

DeviceOutcome SimulatedModulator::Identify() const {
  QByteArray reply;
  reply.append(static_cast<char>(m_typeCode));
  reply.append(static_cast<char>(m_versions.main));
  reply.append(static_cast<char>(m_versions.spare));
  reply.append(static_cast<char>(m_versions.secondary));
  return reply;
}

// Answers, then goes away; the firmware written before takes over when it comes back.
DeviceOutcome SimulatedModulator::Restart() {
  ++m_counters.restarts;
  if (const auto main = m_flash.PendingMain()) m_versions.main = *main;
  if (const auto secondary = m_flash.PendingSecondary()) m_versions.secondary = *secondary;
  m_flash.Restarted();
  m_files.CloseAll();
  for (auto& service : m_status.services) service.usbState = kUsbIdle;
  if (m_options.restartDuration.count() > 0) {
    m_offlineUntil = m_clock.Now() + m_options.restartDuration;
  }
  return Accept();
}

void SimulatedModulator::ComeBackIfDue() {
  if (m_offlineUntil && m_clock.Now() >= *m_offlineUntil) m_offlineUntil.reset();
}

DeviceOutcome SimulatedModulator::Player(const QByteArray& payload) {
  if (payload.size() != 1) return Refuse;
  auto& state = m_status.services[0].usbState;
  switch (ByteAt(payload, 0)) {
    case kPlay:
      state = kUsbPlaying;
      m_status.usbMode = kModeManualPlay;
      return Accept();
    case kRecord:
      state = kUsbRecording;
      m_status.usbMode = kModeManualRecord;
      return Accept();
    case kStop:
      state = kUsbIdle;
      m_status.usbMode = kModeNone;
      return Accept();
    default:
      return Refuse;
  }
}

DeviceOutcome SimulatedModulator::WriteConfig(const QByteArray& payload) {
  if (!AcceptsConfigRecord(payload, m_typeCode, m_versions.main)) return Refuse;
  m_configRecord = payload;
  return Accept();
}

DeviceOutcome SimulatedModulator::RunCommandLine(const QByteArray& payload) {
  const QString line = DeviceFiles::DecodeDeviceText(payload, 0);
  if (line.isEmpty()) return Refuse;
  m_commandLines.append(line);
  return Accept();
}

DeviceOutcome SimulatedModulator::FileTransfer(const QByteArray& payload) {
  if (!payload.isEmpty()) return m_files.Handle(payload);
  ++m_counters.edidProgrammings;
  return Accept();
}

DeviceOutcome SimulatedModulator::System(const QByteArray& payload) {
  if (payload.isEmpty()) return Refuse;
  switch (ByteAt(payload, 0)) {
    case kSetClock:
      return SetClockFrom(payload);
    case kSnapshot:
      ++m_counters.snapshots;
      return Accept(SnapshotPattern());
    case kPanelOpened:
      ++m_counters.panelOpened;
      return Accept();
    default:
      return Refuse;
  }
}

// A date the calendar does not know (the tool sends zeros and 255s when its own clock fails)
// is refused, and the device keeps its time.
DeviceOutcome SimulatedModulator::SetClockFrom(const QByteArray& payload) {
  if (payload.size() != kClockPayloadSize) return Refuse;
  const int year = ByteAt(payload, 1) | ByteAt(payload, 2) << 8;
  const QDate date(year, ByteAt(payload, 3), ByteAt(payload, 4));
  const QTime time(ByteAt(payload, 5), ByteAt(payload, 6), ByteAt(payload, 7));
  if (!date.isValid() || !time.isValid()) return Refuse;
  m_clockBase = QDateTime(date, time);
  m_clockSetAt = m_clock.Now();
  ++m_counters.clockSets;
  return Accept();
}

QDateTime SimulatedModulator::ClockNow() const {
  return m_clockBase.addMSecs((m_clock.Now() - m_clockSetAt).count());
}

void SimulatedModulator::Record(const SimRequest& request) {
  m_requests.append(request);
  if (m_requests.size() > kRequestsKept) m_requests.remove(0, m_requests.size() - kRequestsKept);
}

}  // namespace ostrivane::sim
