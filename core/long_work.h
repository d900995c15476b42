// Long work that runs off the window's thread: a cancel request the work
// polls, the progress it reports across threads, and the two halves of a
// command whose middle takes seconds (a merge of sixteen large photos).
//
// A command splits into Start (on the window's thread: it asks and checks,
// and copies what the work needs), Run (on a worker thread: it touches no
// state and no view) and Finish (back on the window's thread: it adopts the
// result). A cancelled or failed Run leaves the state exactly as it was,
// because nothing but Finish writes it.
#pragma once

#include <atomic>
#include <exception>

#include "core/progress.h"

namespace lenti {

// Set from the window's thread, polled by the work between its steps.
class CancelToken {
 public:
  void Request() { requested_.store(true, std::memory_order_relaxed); }
  bool Requested() const { return requested_.load(std::memory_order_relaxed); }
  // Raises Cancelled once a cancel was requested.
  void ThrowIfRequested() const;

 private:
  std::atomic<bool> requested_{false};
};

// What work that stopped at a cancel raises. Not an Error: a cancel is the
// person's choice, never shown as a failure.
class Cancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "Cancelled"; }
};

// Progress written by one worker thread and read by the window's timer.
class SharedProgress : public ProgressSink {
 public:
  void SetProgressRange(int minimum, int maximum) override;
  void SetProgress(int position) override { position_.store(position, std::memory_order_relaxed); }
  int Progress() const override { return position_.load(std::memory_order_relaxed); }
  // Before new work: no range set, the position where the bar stands.
  void Reset(int position);
  bool RangeSet() const { return range_set_.load(std::memory_order_relaxed); }
  int Minimum() const { return minimum_.load(std::memory_order_relaxed); }
  int Maximum() const { return maximum_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> range_set_{false};
  std::atomic<int> minimum_{0};
  std::atomic<int> maximum_{100};
  std::atomic<int> position_{0};
};

class LongWork {
 public:
  virtual ~LongWork() = default;
  // On a worker thread. Reports through `progress`; raises Cancelled soon
  // after `cancel` is requested.
  virtual void Run(ProgressSink& progress, const CancelToken& cancel) = 0;
  // On the window's thread, only after Run succeeded and no cancel was
  // requested: adopts the result; `bar` is the window's progress bar.
  virtual void Finish(ProgressSink& bar) = 0;
  // On the window's thread, after a cancel: puts back whatever starting the
  // work changed, so that a cancel leaves everything as it was.
  virtual void Cancelled() {}
};

// Run and Finish on the calling thread, never cancelled (the synchronous
// commands, tests).
void RunToEnd(LongWork& work, ProgressSink& progress);
// The same where nothing shows the progress.
void RunToEnd(LongWork& work);

}  // namespace lenti
