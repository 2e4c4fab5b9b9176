// Progress counters of a transfer, one record per direction. A transfer opens
// a phase with its expected size; phases may nest, and only the outermost one
// resets the count and reports its start and end. Every piece moved while a
// phase is open adds to the count and reports the running total.
#pragma once

#include <cstdint>
#include <functional>

namespace pellora::exchange {

enum TWorkMode { wmRead, wmWrite };

class WorkMeter {
 public:
  std::function<void(TWorkMode, std::int64_t)> onBegin;  // expected total, 0 when unknown
  std::function<void(TWorkMode, std::int64_t)> onWork;   // cumulative count
  std::function<void(TWorkMode)> onEnd;

  void begin(TWorkMode mode, std::int64_t total) {
    Record& r = records_[mode];
    if (++r.level == 1) {
      r.count = 0;
      r.total = total;
      if (onBegin) onBegin(mode, total);
    }
  }
  void add(TWorkMode mode, std::int64_t bytes) {
    Record& r = records_[mode];
    if (r.level <= 0) return;
    r.count += bytes;
    if (onWork) onWork(mode, r.count);
  }
  void end(TWorkMode mode) {
    Record& r = records_[mode];
    if (r.level == 1 && onEnd) onEnd(mode);
    if (r.level > 0) --r.level;
  }

  int level(TWorkMode mode) const { return records_[mode].level; }
  std::int64_t count(TWorkMode mode) const { return records_[mode].count; }
  std::int64_t total(TWorkMode mode) const { return records_[mode].total; }

 private:
  struct Record {
    int level = 0;
    std::int64_t total = 0;
    std::int64_t count = 0;
  };
  Record records_[2];
};

// Keeps a phase open for its scope, so that it closes however a transfer ends.
class WorkPhase {
 public:
  WorkPhase(WorkMeter& meter, TWorkMode mode, std::int64_t total) : meter_(meter), mode_(mode) {
    meter_.begin(mode_, total);
  }
  ~WorkPhase() {
    try {
      meter_.end(mode_);
    } catch (...) {
      // A failing progress handler must not turn an unwinding failure into
      // termination; the original failure is the one to report.
    }
  }
  WorkPhase(const WorkPhase&) = delete;
  WorkPhase& operator=(const WorkPhase&) = delete;

 private:
  WorkMeter& meter_;
  TWorkMode mode_;
};

}  // namespace pellora::exchange
