#pragma once

#include <QThread>
#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace ostrivane::cli {

// How many devices a fleet command talks to at once unless told otherwise.
inline constexpr int kDefaultParallelJobs = 8;

// Runs job(0) .. job(count - 1) on at most `parallel` worker threads and returns when all are
// done. Each job owns what it creates (its own session and link); results go into slots the caller
// made for them, so the caller prints them in its own order afterwards. The workers are QThreads:
// serial ports and sockets need one.
inline void RunJobs(int count, int parallel, const std::function<void(int)>& job) {
  std::atomic<int> next{0};
  const auto work = [&] {
    for (int i = next++; i < count; i = next++) job(i);
  };
  std::vector<std::unique_ptr<QThread>> workers;
  const int threads = std::clamp(parallel, 1, std::max(count, 1));
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back(QThread::create(work));
    workers.back()->start();
  }
  for (const std::unique_ptr<QThread>& worker : workers) worker->wait();
}

}  // namespace ostrivane::cli
