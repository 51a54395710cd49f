#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace ostrivane::sim {

struct AnnouncerOptions {
  QString identifier;                             // no "_", printable, non-empty
  QString address = QStringLiteral("127.0.0.1");  // the address announced; loopback only
  std::uint16_t port = 1900;
  std::chrono::milliseconds interval{2000};
};

// Announces the simulated device the way network modulators do: "VERUV_c0_<id>_<address>" to the
// discovery group, at a fixed interval. Datagrams leave through the loopback interface with a TTL
// of 0 and never go anywhere else.
class Announcer {
 public:
  static constexpr const char* kGroup = "239.255.255.250";
  static constexpr const char* kInterface = "127.0.0.1";

  explicit Announcer(AnnouncerOptions options);
  ~Announcer();
  Announcer(const Announcer&) = delete;
  Announcer& operator=(const Announcer&) = delete;

  // Refuses identifiers and addresses that would not form a well-formed, loopback-only
  // announcement; the first datagram goes out at once.
  bool Start(QString* error = nullptr);
  void Stop();

  // The datagram's text; empty when the options are refused.
  QByteArray Datagram() const;
  int SentCount() const { return m_sent.load(); }

 private:
  bool Validate(QString* error) const;
  bool OpenSocket(QString* error);
  void Run();

  AnnouncerOptions m_options;
  int m_socket = -1;
  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_stop = false;
  std::atomic<int> m_sent{0};
};

}  // namespace ostrivane::sim
