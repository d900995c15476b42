#include "app/cli_progress.h"

#include <algorithm>
#include <string>

namespace lenti::cli {

namespace {
constexpr int kBarWidth = 30;
}

void ProgressBar::Update(int done, int total) {
  if (!enabled_ || total <= 0) return;
  const int percent = std::clamp(done * 100 / total, 0, 100);
  if (percent == last_percent_) return;  // redraw only when it moves
  last_percent_ = percent;
  const int filled = percent * kBarWidth / 100;
  out_ << "\r[" << std::string(filled, '#') << std::string(kBarWidth - filled, '-') << "] "
       << percent << "%" << std::flush;
  drawn_ = true;
}

void ProgressBar::Finish() {
  if (!drawn_) return;
  out_ << "\r" << std::string(kBarWidth + 8, ' ') << "\r" << std::flush;
  drawn_ = false;
  last_percent_ = -1;
}

}  // namespace lenti::cli
