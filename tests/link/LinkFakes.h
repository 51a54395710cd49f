#pragma once

#include <QByteArray>
#include <QStringList>
#include <deque>
#include <limits>
#include <map>
#include <vector>

#include "common/Clock.h"
#include "common/StatusSink.h"
#include "link/Channel.h"
#include "link/Connection.h"

namespace ostrivane::test {

// Scripted device: every request written gets the next answer (an empty answer is silence).
// Waiting for input that never comes advances the fake clock instead of sleeping.
class FakeChannel final : public Channel {
 public:
  FakeChannel(FakeClock& clock, Kind kind, QString name = QStringLiteral("fake"))
      : m_clock(clock), m_kind(kind), m_name(std::move(name)) {}

  Kind GetKind() const override { return m_kind; }
  bool IsOpen() const override { return open; }
  bool Write(const std::uint8_t* data, std::size_t n) override {
    written.append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(n));
    writeSizes.push_back(n);
    m_requestPending = true;
    return true;
  }
  std::size_t Read(std::uint8_t* dest, std::size_t max, Millis wait) override {
    if (m_requestPending && !answers.empty()) {
      input.append(answers.front());
      answers.pop_front();
    }
    m_requestPending = false;
    if (input.isEmpty()) {
      m_clock.Advance(wait);
      return 0;
    }
    const auto n = std::min({max, readLimit, static_cast<std::size_t>(input.size())});
    std::copy_n(input.constData(), n, reinterpret_cast<char*>(dest));
    input.remove(0, static_cast<qsizetype>(n));
    return n;
  }
  void Close() override { open = false; }
  QString Describe() const override { return m_name; }

  std::deque<QByteArray> answers;
  QByteArray input;  // bytes already waiting on the line
  std::size_t readLimit = std::numeric_limits<std::size_t>::max();
  QByteArray written;
  std::vector<std::size_t> writeSizes;
  bool open = true;

 private:
  FakeClock& m_clock;
  Kind m_kind;
  QString m_name;
  bool m_requestPending = false;
};

class RecordingStatus final : public StatusSink {
 public:
  void ShowStatusText(const QString&, int, bool) override {}
  void SetProgress(std::uint32_t, std::uint32_t) override {}
  void FlashActivity(bool write) override { flashes.push_back(write); }
  void ShowWarningIcon(bool) override {}
  std::vector<bool> flashes;
};

// Endpoints ("tcp:HOST:PORT", "serial:PATH") with scripted answers; unknown ones do not open.
class FakeOpener final : public ChannelOpener {
 public:
  explicit FakeOpener(FakeClock& clock) : m_clock(clock) {}
  std::unique_ptr<Channel> OpenTcp(const QString& host, quint16 port, int) override {
    return Open(QStringLiteral("tcp:%1:%2").arg(host).arg(port), Channel::Kind::Tcp);
  }
  std::unique_ptr<Channel> OpenSerial(const QString& path) override {
    return Open(QStringLiteral("serial:") + path, Channel::Kind::Serial);
  }

  std::map<QString, std::deque<QByteArray>> devices;
  QStringList attempts;

 private:
  std::unique_ptr<Channel> Open(const QString& name, Channel::Kind kind) {
    attempts.append(name);
    const auto found = devices.find(name);
    if (found == devices.end()) return nullptr;
    auto channel = std::make_unique<FakeChannel>(m_clock, kind, name);
    channel->answers = found->second;
    return channel;
  }
  FakeClock& m_clock;
};

inline QByteArray Hex(const char* hex) {
  return QByteArray::fromHex(hex);
}

}  // namespace ostrivane::test
