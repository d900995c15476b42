#include "core/progress.h"

#include <limits>
#include <utility>

namespace lenti {

ThrottledProgress::ThrottledProgress(ProgressSink& target, std::chrono::milliseconds interval,
                                     Clock clock)
    : target_(target), interval_(interval), clock_(std::move(clock)), position_(target.Progress()) {}

void ThrottledProgress::SetProgressRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
  target_.SetProgressRange(minimum, maximum);
  // A new range may move what the target shows: the next position counts
  // as new.
  forwarded_position_ = std::numeric_limits<int>::min();
}

void ThrottledProgress::SetProgress(int position) {
  position_ = position;
  // The bar already shows it: a merge's strips past the end of the bar
  // (it stops at 200) must not repaint it once each.
  if (forwarded_once_ && position == forwarded_position_) {
    pending_ = false;
    return;
  }
  const auto now = clock_();
  const bool at_end = position == minimum_ || position == maximum_;
  if (at_end || !forwarded_once_ || now - last_forward_ >= interval_) {
    target_.SetProgress(position);
    forwarded_position_ = position;
    forwarded_once_ = true;
    last_forward_ = now;
    pending_ = false;
  } else {
    pending_ = true;
  }
}

void ThrottledProgress::Flush() {
  if (!pending_) return;
  target_.SetProgress(position_);
  forwarded_position_ = position_;
  last_forward_ = clock_();
  forwarded_once_ = true;
  pending_ = false;
}

}  // namespace lenti
