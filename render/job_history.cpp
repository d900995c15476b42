#include "render/job_history.h"

namespace lenti {

void JobHistory::Reset(const Job& job) {
  steps_.assign(1, job);
  current_ = 0;
}

bool JobHistory::Record(const Job& job) {
  if (job == steps_[current_]) return false;
  steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(current_) + 1, steps_.end());
  steps_.push_back(job);
  ++current_;
  if (steps_.size() > limit_ + 1) {
    steps_.pop_front();
    --current_;
  }
  return true;
}

}  // namespace lenti
