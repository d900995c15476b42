#include "core/long_work.h"

namespace lenti {

void CancelToken::ThrowIfRequested() const {
  if (Requested()) throw Cancelled();
}

void SharedProgress::SetProgressRange(int minimum, int maximum) {
  minimum_.store(minimum, std::memory_order_relaxed);
  maximum_.store(maximum, std::memory_order_relaxed);
  range_set_.store(true, std::memory_order_relaxed);
}

void SharedProgress::Reset(int position) {
  range_set_.store(false, std::memory_order_relaxed);
  position_.store(position, std::memory_order_relaxed);
}

void RunToEnd(LongWork& work, ProgressSink& progress) {
  const CancelToken never;
  work.Run(progress, never);
  work.Finish(progress);
}

}  // namespace lenti
