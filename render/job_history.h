// Undo and redo as a history of job values, not of pictures: each change
// of the window's job is one step (a whole crop drag is one), at most
// `limit` steps back.
#pragma once

#include <cstddef>
#include <deque>

#include "core/job.h"

namespace lenti {

class JobHistory {
 public:
  explicit JobHistory(size_t limit = 200) : limit_(limit) {}

  // A new, opened or restored project: `job` with nothing to undo.
  void Reset(const Job& job);
  // After a command: a new step when the job changed (the redo steps go).
  // True when it did.
  bool Record(const Job& job);
  // The job as it now stands after an undo or redo brought the window to
  // it, where the window could not match it exactly; keeps the redo steps.
  void Settle(const Job& job) { steps_[current_] = job; }

  bool CanUndo() const { return current_ > 0; }
  bool CanRedo() const { return current_ + 1 < steps_.size(); }
  // The job to bring the window to; call only when CanUndo() (CanRedo()).
  const Job& Undo() { return steps_[--current_]; }
  const Job& Redo() { return steps_[++current_]; }
  const Job& Current() const { return steps_[current_]; }
  size_t UndoSteps() const { return current_; }

 private:
  size_t limit_;
  std::deque<Job> steps_{Job{}};
  size_t current_ = 0;
};

}  // namespace lenti
