// A one-line progress bar for a terminal: "\r[#########-----------]  45%".
#pragma once

#include <ostream>

namespace lenti::cli {

class ProgressBar {
 public:
  // Draws nothing at all unless `enabled` (stderr is a terminal).
  ProgressBar(std::ostream& out, bool enabled) : out_(out), enabled_(enabled) {}
  ~ProgressBar() { Finish(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void Update(int done, int total);
  // Clears the line so the next message starts at its beginning.
  void Finish();

 private:
  std::ostream& out_;
  bool enabled_;
  bool drawn_ = false;
  int last_percent_ = -1;
};

}  // namespace lenti::cli
