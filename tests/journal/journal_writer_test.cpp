// The writer thread: order, coalescing of waiting writes, failures, and
// draining on destruction. Gates make the thread's progress explicit.
#include "journal/journal_writer.h"

#include <gtest/gtest.h>

#include <future>
#include <mutex>
#include <vector>

namespace pellora::journal {
namespace {

// Keeps the writer busy until released, so what is posted meanwhile waits.
struct Blocker {
  std::promise<void> started;
  std::promise<void> release;
  std::shared_future<void> released{release.get_future().share()};
  JournalWriter::Task task() {
    return [this] {
      started.set_value();
      released.wait();
    };
  }
};

class Log {
 public:
  JournalWriter::Task add(std::string entry) {
    return [this, entry] {
      std::lock_guard lock(mutex_);
      entries_.push_back(entry);
    };
  }
  std::vector<std::string> entries() {
    std::lock_guard lock(mutex_);
    return entries_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> entries_;
};

TEST(JournalWriterTest, RunsInOrderAndCoalescesOnlyTheWaitingTail) {
  Log log;
  Blocker blocker;
  JournalWriter writer;
  writer.post(blocker.task());
  blocker.started.get_future().wait();
  writer.post(log.add("write 1"), "draft");
  writer.post(log.add("write 2"), "draft");  // replaces write 1
  writer.post(log.add("reference"));
  writer.post(log.add("write 3"), "draft");  // a task stands between: kept
  writer.post(log.add("other 1"), "other");
  writer.post(log.add("other 2"), "other");
  blocker.release.set_value();
  writer.flush();
  EXPECT_EQ(log.entries(),
            (std::vector<std::string>{"write 2", "reference", "write 3", "other 2"}));
}

TEST(JournalWriterTest, KeepsTheFirstFailureUntilTakenAndGoesOn) {
  Log log;
  JournalWriter writer;
  writer.post([] { throw std::runtime_error("disk full"); });
  writer.post([] { throw std::runtime_error("second"); });
  writer.post(log.add("after"));
  writer.flush();
  EXPECT_EQ(writer.takeFailure(), "disk full");
  EXPECT_EQ(writer.takeFailure(), std::nullopt);
  EXPECT_EQ(log.entries(), std::vector<std::string>{"after"});
}

TEST(JournalWriterTest, DestructionRunsWhatIsQueued) {
  Log log;
  Blocker blocker;
  {
    JournalWriter writer;
    writer.post(blocker.task());
    blocker.started.get_future().wait();
    writer.post(log.add("a"));
    writer.post(log.add("b"), "draft");
    blocker.release.set_value();
  }
  EXPECT_EQ(log.entries(), (std::vector<std::string>{"a", "b"}));
}

}  // namespace
}  // namespace pellora::journal
