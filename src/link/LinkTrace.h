#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <mutex>

#include "link/CXmit.h"

namespace ostrivane {

// Writes every request and reply of a link as one JSON object per line, for a support case:
//   {"t":0.012,"dir":"tx","cmd":"0x70","status":null,"payload":"","attempt":1}
// t counts seconds since the trace was opened; status is "accepted", "refused", "bad-frame" or
// "no-reply" on replies. Each line is flushed, so a trace survives a crash of the tool.
class LinkTrace final : public LinkObserver {
 public:
  // False (with the reason) when the file cannot be created.
  bool Open(const QString& path, QString* error = nullptr);
  bool IsOpen() const { return m_file.isOpen(); }

  void OnRequest(std::uint8_t command, std::span<const std::uint8_t> payload, int attempt) override;
  void OnReply(std::uint8_t command, ReplyOutcome outcome, LinkStatus status,
               std::span<const std::uint8_t> payload, int attempt) override;

 private:
  void WriteLine(const char* direction, std::uint8_t command, const QString& status,
                 std::span<const std::uint8_t> payload, int attempt);

  std::mutex m_mutex;
  QFile m_file;
  QElapsedTimer m_started;
};

}  // namespace ostrivane
