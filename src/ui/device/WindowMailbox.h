#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

namespace ostrivane {

// Calls handed to the window's thread from the device thread. The calls travel through a queue
// under a standard mutex and only a wake-up goes through Qt's event queue, so every hand-over is
// visible to ThreadSanitizer as well as correct.
class WindowMailbox final : public QObject {
  Q_OBJECT

 public:
  // Any thread: call runs on the mailbox's thread, after every call posted before it.
  void Post(std::function<void()> call);
  // True on the thread that runs the calls.
  bool OnWindowThread() const;

  Q_INVOKABLE void Drain();

 private:
  std::mutex m_mutex;
  std::deque<std::function<void()>> m_calls;
};

}  // namespace ostrivane
