#include "cli/fleet/JobPool.h"

#include <QStringList>
#include <QThread>
#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "cli/Cli.h"

namespace ostrivane::cli {

namespace {

// The pool's shared state; every member is guarded by mutex.
struct PoolState {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<JobOutcome> outcomes;
  std::vector<bool> done;
  int next = 0;
  bool stopped = false;
};

void Work(PoolState& state, int count, const JobPoolOptions& options,
          const std::function<JobOutcome(int)>& job) {
  for (;;) {
    int index = 0;
    {
      std::lock_guard lock(state.mutex);
      if (state.next >= count || state.stopped) return;
      index = state.next++;
    }
    JobOutcome outcome = job(index);
    outcome.started = true;
    std::lock_guard lock(state.mutex);
    if (options.stopOnFailure && outcome.code == kExitFailed) state.stopped = true;
    state.outcomes[static_cast<std::size_t>(index)] = std::move(outcome);
    state.done[static_cast<std::size_t>(index)] = true;
    state.changed.notify_all();
  }
}

}  // namespace

std::vector<JobOutcome> RunJobsInOrder(int count, const JobPoolOptions& options,
                                       const std::function<JobOutcome(int)>& job,
                                       const std::function<void(int, const JobOutcome&)>& report) {
  PoolState state;
  state.outcomes.resize(static_cast<std::size_t>(std::max(count, 0)));
  state.done.assign(state.outcomes.size(), false);
  // QThreads: the jobs' sockets and serial ports need one.
  std::vector<std::unique_ptr<QThread>> workers;
  const int threads = std::clamp(options.jobs, 1, std::max(count, 1));
  for (int t = 0; t < threads && count > 0; ++t) {
    workers.emplace_back(QThread::create([&] { Work(state, count, options, job); }));
    workers.back()->start();
  }
  for (int reported = 0; reported < count; ++reported) {
    JobOutcome outcome;
    {
      std::unique_lock lock(state.mutex);
      const auto i = static_cast<std::size_t>(reported);
      // A job never started once the pool stopped and no worker holds it any more.
      state.changed.wait(
          lock, [&] { return state.done[i] || (state.stopped && reported >= state.next); });
      outcome = state.outcomes[i];
    }
    report(reported, outcome);
  }
  for (const std::unique_ptr<QThread>& worker : workers) worker->wait();
  return std::move(state.outcomes);
}

int WorstExit(const std::vector<int>& codes) {
  const auto has = [&](int code) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
  };
  if (has(kExitFailed)) return kExitFailed;
  if (has(kExitNoDevice)) return kExitNoDevice;
  for (const int code : codes)
    if (code != kExitOk) return code;
  return kExitOk;
}

QString PrefixLines(const QString& name, const QString& text) {
  if (text.isEmpty()) return {};
  QStringList lines = text.split(QLatin1Char('\n'));
  if (lines.last().isEmpty()) lines.removeLast();
  QString result;
  for (const QString& line : lines) result += name + QStringLiteral(": ") + line + u'\n';
  return result;
}

}  // namespace ostrivane::cli
