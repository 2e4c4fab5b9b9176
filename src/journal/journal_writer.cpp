#include "journal/journal_writer.h"

#include <exception>

namespace pellora::journal {

JournalWriter::JournalWriter() : thread_([this] { run(); }) {}

JournalWriter::~JournalWriter() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void JournalWriter::post(Task task, std::string coalesceKey) {
  {
    std::lock_guard lock(mutex_);
    if (!coalesceKey.empty() && !queue_.empty() && queue_.back().coalesceKey == coalesceKey) {
      queue_.back().task = std::move(task);
    } else {
      queue_.push_back({std::move(task), std::move(coalesceKey)});
    }
  }
  wake_.notify_one();
}

void JournalWriter::flush() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

bool JournalWriter::idle() {
  std::lock_guard lock(mutex_);
  return queue_.empty() && !busy_;
}

std::optional<std::string> JournalWriter::takeFailure() {
  std::lock_guard lock(mutex_);
  std::optional<std::string> failure;
  failure.swap(failure_);
  return failure;
}

void JournalWriter::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) return;  // stopping, and everything ran
    Task task = std::move(queue_.front().task);
    queue_.pop_front();
    busy_ = true;
    lock.unlock();
    std::optional<std::string> failed;
    try {
      task();
    } catch (const std::exception& failure) {
      failed = failure.what();
    } catch (...) {
      failed = "unknown failure";
    }
    task = nullptr;  // what it holds goes on this thread, outside the lock
    lock.lock();
    busy_ = false;
    if (failed && !failure_) failure_ = std::move(failed);
    if (queue_.empty()) idle_.notify_all();
  }
}

}  // namespace pellora::journal
