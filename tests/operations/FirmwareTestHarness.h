#pragma once

// A device that records every request and accepts it unless told to refuse, plus the context and
// firmware folder the firmware operations run on.

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "link/Channel.h"
#include "link/FrameCodec.h"
#include "operations/OperationContext.h"

namespace ostrivane::fwtest {

struct SentRequest {
  std::uint8_t command = 0;
  QByteArray payload;
  bool write = false;  // the write lamp flashed for it
  bool operator==(const SentRequest& other) const {
    return command == other.command && payload == other.payload;
  }
};

inline SentRequest Req(std::uint8_t command, const QByteArray& payload) {
  return SentRequest{command, payload, false};
}

struct FakeDevice {
  std::vector<SentRequest> requests;
  std::set<std::size_t> refused;  // indexes of requests answered with a refusal
  bool closed = false;
};

class RecordingChannel final : public Channel {
 public:
  RecordingChannel(FakeDevice& device, Kind kind, FakeClock& clock)
      : m_device(device), m_kind(kind), m_clock(clock), m_decoder(m_buffer, 0x10) {}
  Kind GetKind() const override { return m_kind; }
  bool IsOpen() const override { return !m_device.closed; }
  bool Write(const std::uint8_t* data, std::size_t n) override {
    for (std::size_t i = 0; i < n; ++i) {
      if (m_decoder.Feed(data[i]) != ReplyDecoder::Result::GoodFrame) continue;
      const auto index = m_device.requests.size();
      m_device.requests.push_back({static_cast<std::uint8_t>(m_decoder.Status()),
                                   QByteArray(reinterpret_cast<const char*>(m_buffer.data()),
                                              static_cast<qsizetype>(m_decoder.Length())),
                                   false});
      const auto status =
          m_device.refused.count(index) ? LinkStatus::Refused : LinkStatus::Accepted;
      EncodedFrame reply;
      EncodeReply(status, {}, reply);
      m_pending.append(reinterpret_cast<const char*>(reply.bytes.data()),
                       static_cast<qsizetype>(reply.length));
      m_decoder.Reset();
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
  void Close() override { m_device.closed = true; }
  QString Describe() const override { return QStringLiteral("serial:recording"); }

 private:
  FakeDevice& m_device;
  Kind m_kind;
  FakeClock& m_clock;
  std::array<std::uint8_t, kFrameBufferSize> m_buffer{};
  ReplyDecoder m_decoder;
  QByteArray m_pending;
};

struct ShownText {
  QString text;
  int durationMs = 0;
  bool wait = false;
  bool operator==(const ShownText&) const = default;
};

class RecordingStatus final : public StatusSink {
 public:
  void ShowStatusText(const QString& text, int durationMs, bool wait) override {
    texts.push_back({text, durationMs, wait});
  }
  void SetProgress(std::uint32_t range, std::uint32_t position) override {
    progress.push_back({range, position});
  }
  void FlashActivity(bool write) override { activity.push_back(write); }
  void ShowWarningIcon(bool show) override { warningShown = show; }
  void NoteActivity(const QString& event) override { noted.push_back(event); }

  std::vector<ShownText> texts;
  std::vector<QString> noted;  // activity lines
  std::vector<std::pair<std::uint32_t, std::uint32_t>> progress;
  std::vector<bool> activity;  // one per request that went out
  bool warningShown = false;
};

class RecordingPrompts final : public Prompts {
 public:
  PromptAnswer ShowMessage(const MessageBoxRequest& request) override {
    messages.push_back(request);
    if (onShow) onShow();
    return PromptAnswer::Ok;
  }
  QString GetSaveFileName(const FileDialogRequest&) override { return {}; }
  QString GetOpenFileName(const FileDialogRequest&) override { return {}; }
  void Beep(int, int) override {}
  std::vector<MessageBoxRequest> messages;
  std::function<void()> onShow;  // when a message is shown, for its place among the requests
};

// Image content that differs from byte to byte, so misplaced pieces show.
inline QByteArray ImageBytes(qsizetype length, int seed = 1) {
  QByteArray bytes(length, Qt::Uninitialized);
  for (qsizetype i = 0; i < length; ++i) bytes[i] = static_cast<char>((i * 7 + seed * 31) & 0xFF);
  return bytes;
}

inline QByteArray Md5Hex(const QByteArray& bytes) {
  return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
}

struct FirmwareHarness {
  explicit FirmwareHarness(std::uint8_t type, std::uint8_t main = 10, std::uint8_t secondary = 10,
                           Channel::Kind kind = Channel::Kind::Serial) {
    identity.DeviceTypeCode = type;
    identity.Version = {main, 0, secondary};
    settings.SetFirmwareFolder(folder.path() + QLatin1Char('/'));
    // This device answers every request with an empty reply, so it has no record to back up;
    // the backup before flashing is tested against the simulator.
    flags.BackupsDisabled = true;
    link.Attach(std::make_unique<RecordingChannel>(device, kind, clock));
  }

  // "<name>_<version>_<digest>.bin"; digest empty: the content's own MD5 (lower case).
  QString WriteImage(const QString& name, const QString& version, const QByteArray& content,
                     const QString& digest = {}) {
    const QString md5 = digest.isEmpty() ? QString::fromLatin1(Md5Hex(content)) : digest;
    return WriteFile(name + u'_' + version + QStringLiteral("_r") + md5 + QStringLiteral(".bin"),
                     content);
  }
  QString WriteFile(const QString& fileName, const QByteArray& content) {
    const QString path = folder.filePath(fileName);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(content);
    return path;
  }
  std::vector<SentRequest> Sent() const {
    auto sent = device.requests;
    for (std::size_t i = 0; i < sent.size() && i < status.activity.size(); ++i) {
      sent[i].write = status.activity[i];
    }
    return sent;
  }

  QTemporaryDir folder;
  FakeClock clock;
  RecordingStatus status;
  RecordingPrompts prompts;
  FakeDevice device;
  CXmit link{clock, status};
  DeviceIdentity identity;
  DeviceConfig config;
  PanelState panel;
  RecordShape shape;
  DeviceStatusPair deviceStatus;
  ApplicationData settings;
  ConnectionFlags flags;
  NullPanelDisplays displays;
  OperationContext ctx{link,     identity, config, panel,   shape,    deviceStatus,
                       settings, flags,    status, prompts, displays, clock};
};

}  // namespace ostrivane::fwtest
