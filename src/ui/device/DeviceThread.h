#pragma once

#include <QObject>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "operations/OperationContext.h"
#include "ui/device/ModelState.h"
#include "ui/device/PromptsRelay.h"
#include "ui/device/WindowMailbox.h"

namespace ostrivane {

// Work on the device: runs on the device thread with a context over a copy of the window's model.
using DeviceWork = std::function<void(OperationContext&)>;

// The thread that owns the link. The window never waits on a device: it queues work here, and each
// job's changes to the model, its panel displays and its completion come back to the window's
// thread. Jobs run one at a time in the order they were queued; the next one starts (with a fresh
// copy of the model) only after the previous one has been merged.
//
// Ownership: the link (and every channel opened on it) belongs to the device thread from Start()
// until the destructor; the model belongs to the window's thread, and a job holds only its copy.
class DeviceThread final : public QObject {
  Q_OBJECT

 public:
  // window: the window's context (its model, the link, the settings, the status relay, the
  // clock); mailbox: how results reach the window's thread; windowPrompts: the dialogs the
  // window's thread shows for the jobs.
  DeviceThread(OperationContext& window, WindowMailbox& mailbox, Prompts& windowPrompts);
  // Lets a running job finish, then closes the link on its own thread and stops the thread.
  ~DeviceThread() override;

  void Start();

  // Window's thread: queues work; done (if any) runs on the window's thread after the merge.
  void Submit(DeviceWork work, std::function<void()> done = {});
  // True while a job runs or waits.
  bool Busy() const { return m_running || !m_queue.empty(); }

  // Window's thread: the running job (if any) ends after its current request; its later requests
  // fail at once. Jobs queued after it are not affected.
  void EndRunningJob();
  // Window's thread, for closing without waiting: questions get the cautious answer from now on,
  // and the running job ends at once unless it is in a transfer that writes the device (which
  // runs to its end). Queued jobs, and those queued later, run normally.
  void BeginClosing();
  // Window's thread, blocking: for closing. Questions the jobs ask from now on get the cautious
  // answer; the running job and every queued one (including those their completions queue) run
  // to their end and are merged before this returns.
  void Finish();

 private:
  struct Job;
  void DispatchNext();
  // The device thread's whole life: one job at a time, then the link is closed there.
  void DeviceLoop();
  void RunJob(Job& job);
  void CollectFinished();

  OperationContext& m_window;
  WindowMailbox& m_mailbox;
  PromptsRelay m_prompts;
  std::unique_ptr<QThread> m_thread;
  std::deque<std::unique_ptr<Job>> m_queue;
  bool m_running = false;
  bool m_cancelling = false;

  // Hand-over between the threads.
  std::mutex m_mutex;
  std::condition_variable m_finishedCondition;
  std::condition_variable m_toDeviceCondition;
  bool m_stop = false;
  std::unique_ptr<Job> m_toDevice;
  std::unique_ptr<Job> m_finished;
};

}  // namespace ostrivane
