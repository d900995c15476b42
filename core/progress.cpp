#include "core/progress.h"

#include <utility>

namespace lenti {

ThrottledProgress::ThrottledProgress(ProgressSink& target, std::chrono::milliseconds interval,
                                     Clock clock)
    : target_(target), interval_(interval), clock_(std::move(clock)), position_(target.Progress()) {}

void ThrottledProgress::SetProgressRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
  target_.SetProgressRange(minimum, maximum);
}

void ThrottledProgress::SetProgress(int position) {
  position_ = position;
  const auto now = clock_();
  const bool at_end = position == minimum_ || position == maximum_;
  if (at_end || !forwarded_once_ || now - last_forward_ >= interval_) {
    target_.SetProgress(position);
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
  last_forward_ = clock_();
  forwarded_once_ = true;
  pending_ = false;
}

}  // namespace lenti
