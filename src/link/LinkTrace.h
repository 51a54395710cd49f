#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QStringList>
#include <mutex>

#include "link/CXmit.h"

namespace ostrivane {

// Writes every request and reply of a link as one JSON object per line, for a support case:
//   {"t":0.012,"device":"1A2B3C4D","dir":"tx","cmd":"0x70","status":null,"payload":"","attempt":1}
// Each run appends to the file, starting with a header line:
//   {"run":"2026-03-05T14:07:09Z","version":"1.0.0","command":["ostrivane-cli","identify"]}
// t counts seconds since that header; device (left out when the line belongs to no particular
// device) is the identifier or address of the device. status is "accepted", "refused",
// "bad-frame" or "no-reply" on replies; a reply that did not decode carries the bytes that came
// back in raw. A request that never reached the wire is a "tx" line with status "not-sent",
// attempt 0 and its reason ("no link", "cancelled", "too long"). Connection steps are lines of
// their own:
//   {"t":0.001,"device":"127.0.0.1:6666","event":"connect","detail":"tcp 127.0.0.1:6666"}
// Lines are written whole under one lock, so the links of several threads may share a trace,
// and each is flushed, so a trace survives a crash of the tool.
class LinkTrace final : public LinkObserver {
 public:
  // False (with the reason) when the file cannot be opened for appending. commandLine starts
  // with the program's name.
  bool Open(const QString& path, const QStringList& commandLine, QString* error = nullptr);
  // The same with the application's own arguments.
  bool Open(const QString& path, QString* error = nullptr);
  bool IsOpen() const { return m_file.isOpen(); }

  void OnRequest(std::uint8_t command, std::span<const std::uint8_t> payload,
                 int attempt) override {
    Request({}, command, payload, attempt);
  }
  void OnReply(std::uint8_t command, ReplyOutcome outcome, LinkStatus status,
               std::span<const std::uint8_t> payload, int attempt) override {
    Reply({}, command, outcome, status, payload, attempt);
  }
  void OnRefused(std::uint8_t command, std::span<const std::uint8_t> payload,
                 Refusal why) override {
    NotSent({}, command, payload, why);
  }

  // The same lines, tagged with the device they belong to.
  void Request(const QString& device, std::uint8_t command, std::span<const std::uint8_t> payload,
               int attempt);
  void Reply(const QString& device, std::uint8_t command, ReplyOutcome outcome, LinkStatus status,
             std::span<const std::uint8_t> payload, int attempt);
  void NotSent(const QString& device, std::uint8_t command, std::span<const std::uint8_t> payload,
               Refusal why);
  // A step on the way to a device: "connect", "connected" or "failed", with what it was about.
  void Event(const QString& device, const QString& event, const QString& detail);

 private:
  void WriteLine(const QString& device, const QString& body);

  std::mutex m_mutex;
  QFile m_file;
  QElapsedTimer m_started;
};

}  // namespace ostrivane
