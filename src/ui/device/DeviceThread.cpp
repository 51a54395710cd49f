#include "ui/device/DeviceThread.h"

#include "common/ThreadJoin.h"

#include <utility>

namespace ostrivane {

struct DeviceThread::Job {
  DeviceWork work;
  std::function<void()> done;
  ModelState base;
  ModelState state;
  RecordedDisplays displays;
};

DeviceThread::DeviceThread(OperationContext& window, WindowMailbox& mailbox, Prompts& windowPrompts)
    : m_window(window), m_mailbox(mailbox), m_prompts(mailbox, windowPrompts) {}

DeviceThread::~DeviceThread() {
  if (!m_thread) return;
  Finish();
  {
    std::lock_guard lock(m_mutex);
    m_stop = true;
  }
  m_toDeviceCondition.notify_all();
  m_thread->wait();
  MarkThreadJoined(this);
  // Completions already collected by Finish() still sit in the mailbox: let them find nothing
  // while this object exists.
  m_mailbox.Drain();
}

void DeviceThread::Start() {
  // A QThread, so that the channels opened there have an event dispatcher for their notifiers;
  // the jobs themselves are handed over under the mutex, not through Qt's event queue.
  m_thread.reset(QThread::create([this] {
    DeviceLoop();
    MarkThreadEnd(this);
  }));
  m_thread->setObjectName(QStringLiteral("device"));
  m_thread->start();
}

void DeviceThread::Submit(DeviceWork work, std::function<void()> done) {
  auto job = std::make_unique<Job>();
  job->work = std::move(work);
  job->done = std::move(done);
  m_queue.push_back(std::move(job));
  DispatchNext();
}

void DeviceThread::DispatchNext() {
  if (m_running || m_queue.empty()) return;
  std::unique_ptr<Job> job = std::move(m_queue.front());
  m_queue.pop_front();
  // The copy is taken now, after every earlier job has been merged.
  job->base = ModelState::Take(m_window);
  job->state = job->base;
  m_running = true;
  {
    std::lock_guard lock(m_mutex);
    m_toDevice = std::move(job);
  }
  m_toDeviceCondition.notify_all();
}

void DeviceThread::DeviceLoop() {
  for (;;) {
    std::unique_ptr<Job> job;
    {
      std::unique_lock lock(m_mutex);
      m_toDeviceCondition.wait(lock, [this] { return m_toDevice != nullptr || m_stop; });
      if (!m_toDevice) break;
      job = std::move(m_toDevice);
    }
    RunJob(*job);
    {
      std::lock_guard lock(m_mutex);
      m_finished = std::move(job);
    }
    m_finishedCondition.notify_all();
    m_mailbox.Post([this] { CollectFinished(); });
  }
  // Channels are closed by the thread that opened them.
  m_window.link.CloseAll();
}

void DeviceThread::RunJob(Job& job) {
  ModelState& s = job.state;
  OperationContext ctx{m_window.link,   s.identity,     s.config,          s.panel,
                       s.shape,         s.deviceStatus, m_window.settings, s.flags,
                       m_window.status, m_prompts,      job.displays,      m_window.clock};
  job.work(ctx);
}

void DeviceThread::CollectFinished() {
  std::unique_ptr<Job> job;
  {
    std::lock_guard lock(m_mutex);
    job = std::move(m_finished);
  }
  // Already collected by Finish().
  if (!job) return;
  if (m_cancelling) {
    // Only the job that was running when it was asked for ends early; what follows runs normally.
    m_window.link.SetCancelled(false);
    m_cancelling = false;
  }
  MergeJobResult(m_window, job->base, job->state);
  job->displays.Replay(m_window.displays);
  m_running = false;
  if (job->done) job->done();
  DispatchNext();
}

void DeviceThread::EndRunningJob() {
  if (!m_running || m_cancelling) return;
  m_cancelling = true;
  m_window.link.SetCancelled(true);
}

void DeviceThread::BeginClosing() {
  m_prompts.Abandon();
  EndRunningJob();
}

void DeviceThread::Finish() {
  m_prompts.Abandon();
  while (m_running) {
    {
      std::unique_lock lock(m_mutex);
      m_finishedCondition.wait(lock, [this] { return m_finished != nullptr; });
    }
    CollectFinished();
  }
}

}  // namespace ostrivane
