// The thread that writes drafts, so the user-interface thread never waits
// for the disk. Tasks run one at a time in the order posted. A write that
// is still waiting when the next write for the same file arrives is
// replaced by it (only the newest text matters), so a slow disk never
// builds a queue of stale bodies.
//
// The writer owns its thread: destroying it runs what is queued, then joins.
//
// Covered by tests/journal/journal_writer_test.cpp.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace pellora::journal {

class JournalWriter {
 public:
  using Task = std::function<void()>;

  JournalWriter();
  ~JournalWriter();
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;

  // Queues `task`. With a non-empty `coalesceKey`, it replaces the last
  // queued task if that one carries the same key and has not started.
  void post(Task task, std::string coalesceKey = {});
  // Blocks until every task posted before has run.
  void flush();
  // Whether every task posted so far has run; never blocks on a task.
  bool idle();
  // The message of the first task that failed since the last call.
  std::optional<std::string> takeFailure();

 private:
  struct Entry {
    Task task;
    std::string coalesceKey;
  };
  void run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<Entry> queue_;
  bool busy_ = false;
  bool stopping_ = false;
  std::optional<std::string> failure_;
  std::thread thread_;  // last: starts after the state it uses
};

}  // namespace pellora::journal
