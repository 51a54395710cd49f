#pragma once

// Sessions for the operations tests: the simulated modulator in-process, or a scripted device
// whose answers a test chooses request by request. Both run on the fake clock.

#include <QByteArray>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "link/FrameCodec.h"
#include "operations/OperationContext.h"
#include "sim/SimChannel.h"
#include "sim/SimulatedModulator.h"

namespace ostrivane::opstest {

struct Request {
  std::uint8_t command = 0;
  QByteArray payload;
};
struct Answer {
  LinkStatus status = LinkStatus::Accepted;
  QByteArray payload;
  bool silent = false;  // no reply: the link waits out its deadline
};
inline Answer Accept(const QByteArray& payload = {}) {
  return {LinkStatus::Accepted, payload};
}
inline Answer Refuse() {
  return {LinkStatus::Refused, {}};
}
inline Answer Silent() {
  return {LinkStatus::None, {}, true};
}
using Responder = std::function<Answer(const Request&)>;

class ScriptedChannel final : public Channel {
 public:
  ScriptedChannel(std::vector<Request>& log, Responder& responder, FakeClock& clock)
      : m_log(log), m_responder(responder), m_clock(clock), m_decoder(m_buffer, 0x10) {}
  Kind GetKind() const override { return Kind::Tcp; }
  bool IsOpen() const override { return true; }
  bool Write(const std::uint8_t* data, std::size_t n) override {
    for (std::size_t i = 0; i < n; ++i) {
      if (m_decoder.Feed(data[i]) != ReplyDecoder::Result::GoodFrame) continue;
      m_log.push_back({static_cast<std::uint8_t>(m_decoder.Status()),
                       QByteArray(reinterpret_cast<const char*>(m_buffer.data()),
                                  static_cast<qsizetype>(m_decoder.Length()))});
      m_decoder.Reset();
      const Answer answer = m_responder ? m_responder(m_log.back()) : Accept();
      if (answer.silent) continue;
      EncodedFrame frame;
      EncodeReply(answer.status,
                  {reinterpret_cast<const std::uint8_t*>(answer.payload.constData()),
                   static_cast<std::size_t>(answer.payload.size())},
                  frame);
      m_pending.append(reinterpret_cast<const char*>(frame.bytes.data()),
                       static_cast<qsizetype>(frame.length));
    }
    return true;
  }
  std::size_t Read(std::uint8_t* dest, std::size_t max, Millis wait) override {
    if (m_pending.isEmpty()) {
      m_clock.Advance(wait);
      return 0;
    }
    const auto n = std::min<std::size_t>(max, static_cast<std::size_t>(m_pending.size()));
    std::copy_n(m_pending.constData(), n, reinterpret_cast<char*>(dest));
    m_pending.remove(0, static_cast<qsizetype>(n));
    return n;
  }
  void Close() override {}
  QString Describe() const override { return QStringLiteral("tcp:scripted:0"); }

 private:
  std::vector<Request>& m_log;
  Responder& m_responder;
  FakeClock& m_clock;
  std::array<std::uint8_t, kFrameBufferSize> m_buffer{};
  ReplyDecoder m_decoder;
  QByteArray m_pending;
};

struct RecordingSink final : StatusSink {
  struct Text {
    QString text;
    int durationMs;
    bool wait;
  };
  void ShowStatusText(const QString& t, int ms, bool wait) override {
    texts.push_back({t, ms, wait});
  }
  void SetProgress(std::uint32_t range, std::uint32_t pos) override {
    progress.push_back({range, pos});
  }
  void FlashActivity(bool write) override { activity.push_back(write); }
  void ShowWarningIcon(bool show) override { warning = show; }
  std::vector<Text> texts;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> progress;
  std::vector<bool> activity;
  bool warning = false;
};

struct ScriptedPrompts final : Prompts {
  PromptAnswer ShowMessage(const MessageBoxRequest& request) override {
    messages.push_back(request);
    if (answers.empty()) return PromptAnswer::Ok;
    const PromptAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  QString GetSaveFileName(const FileDialogRequest& request) override {
    saveDialogs.push_back(request);
    return savePath;
  }
  QString GetOpenFileName(const FileDialogRequest&) override { return {}; }
  void Beep(int hz, int ms) override { beeps.push_back({hz, ms}); }
  std::deque<PromptAnswer> answers;
  QString savePath;
  std::vector<MessageBoxRequest> messages;
  std::vector<FileDialogRequest> saveDialogs;
  std::vector<std::pair<int, int>> beeps;
};

struct RecordingDisplays final : PanelDisplays {
  void RefreshScheduleList() override { ++scheduleRefreshes; }
  void ShowUsbStatus() override { ++usbRefreshes; }
  void ShowServiceTabLabels() override { ++tabLabelRefreshes; }
  void ShowBitrateMeter() override { ++bitrateRefreshes; }
  void SetClockText(const QString& text) override { clockTexts.push_back(text); }
  int scheduleRefreshes = 0, usbRefreshes = 0, tabLabelRefreshes = 0, bitrateRefreshes = 0;
  std::vector<QString> clockTexts;
};

// One connected session's single instances, with the scripted device attached.
struct Harness {
  explicit Harness(std::uint8_t type) {
    identity.DeviceTypeCode = type;
    identity.Version = {20, 0, 10};
    shape = RecordShape::ForType(type);
    link.Attach(std::make_unique<ScriptedChannel>(log, responder, clock));
  }
  std::vector<Request> Sent(std::uint8_t command) const {
    std::vector<Request> out;
    for (const auto& r : log) {
      if (r.command == command) out.push_back(r);
    }
    return out;
  }

  QTemporaryDir folder;
  FakeClock clock;
  RecordingSink status;
  ScriptedPrompts prompts;
  RecordingDisplays displays;
  std::vector<Request> log;
  Responder responder;
  CXmit link{clock, status};
  DeviceIdentity identity;
  DeviceConfig config;
  PanelState panel;
  RecordShape shape;
  DeviceStatusPair deviceStatus;
  ApplicationData settings;
  ConnectionFlags flags;
  OperationContext ctx{link,     identity, config, panel,   shape,    deviceStatus,
                       settings, flags,    status, prompts, displays, clock};
};

// The same session against the simulated modulator over a serial-like channel.
struct SimHarness : Harness {
  explicit SimHarness(const sim::SimOptions& options)
      : Harness(options.typeCode), device(options, &clock) {
    link.Attach(std::make_unique<sim::SimChannel>(device, &clock));
  }
  // The channel talks to the device on closing, so it goes before the device does.
  ~SimHarness() { link.CloseAll(); }
  static sim::SimOptions Options(std::uint8_t type) {
    sim::SimOptions options;
    options.typeCode = type;
    options.restartDuration = Millis{0};
    return options;
  }
  std::vector<std::uint8_t> DeviceCommands() const {
    std::vector<std::uint8_t> out;
    for (const auto& r : device.Requests()) out.push_back(r.command);
    return out;
  }
  std::vector<sim::SimRequest> DeviceRequests(std::uint8_t command) const {
    std::vector<sim::SimRequest> out;
    for (const auto& r : device.Requests()) {
      if (r.command == command) out.push_back(r);
    }
    return out;
  }

  sim::SimulatedModulator device;
};

}  // namespace ostrivane::opstest
