#pragma once

#include <QString>
#include <functional>
#include <vector>

namespace ostrivane::cli {

// What one device's job produced: its exit code and the text it wrote.
struct JobOutcome {
  int code = 0;
  QString out;
  QString err;
  bool started = false;  // false: the pool stopped before this job's turn
};

struct JobPoolOptions {
  int jobs = 4;                // devices worked on at once
  bool stopOnFailure = false;  // a job ending with kExitFailed keeps further jobs from starting
};

// Runs job(i) for every i in [0, count) on up to options.jobs worker threads. Each job owns what
// it creates; its outcome is handed to report(i, outcome) on the calling thread, in index order
// (whatever the finishing order), as soon as every earlier job has been reported. Returns every
// outcome, in index order.
std::vector<JobOutcome> RunJobsInOrder(int count, const JobPoolOptions& options,
                                       const std::function<JobOutcome(int)>& job,
                                       const std::function<void(int, const JobOutcome&)>& report);

// The exit code of a fleet run: 3 if any device failed, else 1 if any could not be reached,
// else the first other non-zero code (e.g. 5: a difference found), else 0.
int WorstExit(const std::vector<int>& codes);

// text with each of its lines started by "NAME: " (a last line without '\n' gets one).
QString PrefixLines(const QString& name, const QString& text);

}  // namespace ostrivane::cli
