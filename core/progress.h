// Progress of long work, reported to whatever shows it (the window's
// progress bar, the command line's bar on stderr, a test's record).
//
// Work reports every step; a sink that paints wraps itself in a
// ThrottledProgress so that a merge of 2342 strips repaints about 30 times
// a second, not 2342 times.
#pragma once

#include <chrono>
#include <functional>

namespace lenti {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void SetProgressRange(int minimum, int maximum) = 0;
  virtual void SetProgress(int position) = 0;
  // The position last set (work that steps "from wherever it stands").
  virtual int Progress() const = 0;
};

// Forwards to `target` at most once per `interval`; a position at either
// end of the range, and a range change, are always forwarded at once, so
// the bar never stops short of its end or keeps a stale start. A position
// equal to the one last forwarded is never forwarded again.
class ThrottledProgress : public ProgressSink {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  explicit ThrottledProgress(ProgressSink& target,
                             std::chrono::milliseconds interval = std::chrono::milliseconds(33),
                             Clock clock = &std::chrono::steady_clock::now);

  void SetProgressRange(int minimum, int maximum) override;
  void SetProgress(int position) override;
  int Progress() const override { return position_; }
  // Forwards the last position set if it was held back (work that pauses
  // or ends between two intervals).
  void Flush();

 private:
  ProgressSink& target_;
  std::chrono::milliseconds interval_;
  Clock clock_;
  int minimum_ = 0;
  int maximum_ = 100;
  int position_ = 0;
  bool forwarded_once_ = false;
  bool pending_ = false;  // position_ not yet forwarded
  int forwarded_position_ = 0;
  std::chrono::steady_clock::time_point last_forward_{};
};

}  // namespace lenti
