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

namespace {

class UnshownProgress : public ProgressSink {
 public:
  void SetProgressRange(int, int) override {}
  void SetProgress(int position) override { position_ = position; }
  int Progress() const override { return position_; }

 private:
  int position_ = 0;
};

}  // namespace

void RunToEnd(LongWork& work) {
  UnshownProgress progress;
  RunToEnd(work, progress);
}

}  // namespace lenti
