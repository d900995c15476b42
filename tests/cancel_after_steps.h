// A progress sink that asks for a cancel once the work has reported a given
// number of positions: a cancel at a chosen moment inside long work.
#pragma once

#include "core/long_work.h"
#include "core/progress.h"

namespace lenti::testing {

class CancelAfterSteps : public ProgressSink {
 public:
  // `steps` 0: the cancel is asked before the work starts.
  CancelAfterSteps(CancelToken& token, int steps) : token_(token), steps_(steps) {
    if (steps_ == 0) token_.Request();
  }
  void SetProgressRange(int minimum, int maximum) override {
    minimum_ = minimum;
    maximum_ = maximum;
  }
  void SetProgress(int position) override {
    position_ = position;
    if (++seen_ >= steps_) token_.Request();
  }
  int Progress() const override { return position_; }
  int Maximum() const { return maximum_; }
  int Minimum() const { return minimum_; }

 private:
  CancelToken& token_;
  int steps_;
  int seen_ = 0;
  int minimum_ = 0, maximum_ = 100;
  int position_ = 0;
};

}  // namespace lenti::testing
