// The throttle in front of a progress bar that paints: a fake clock decides
// what reaches the bar.
#include "core/progress.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace lenti {
namespace {

using std::chrono::milliseconds;

struct Recorder : ProgressSink {
  std::vector<std::string> calls;
  int position = 0;
  void SetProgressRange(int minimum, int maximum) override {
    calls.push_back("range " + std::to_string(minimum) + ".." + std::to_string(maximum));
  }
  void SetProgress(int p) override {
    position = p;
    calls.push_back(std::to_string(p));
  }
  int Progress() const override { return position; }
};

struct Step {
  int at_ms;     // the clock when the call is made
  int position;  // -1: SetProgressRange(0, 200) instead
};

struct ThrottleCase {
  const char* name;
  std::vector<Step> steps;
  std::vector<std::string> forwarded;
};

class Throttle : public ::testing::TestWithParam<ThrottleCase> {};

TEST_P(Throttle, ForwardsAtMostOncePerIntervalButAlwaysTheEndsAndTheRange) {
  Recorder bar;
  std::chrono::steady_clock::time_point now{};
  ThrottledProgress throttled(bar, milliseconds(33), [&now] { return now; });
  throttled.SetProgressRange(0, 200);
  bar.calls.clear();
  for (const Step& step : GetParam().steps) {
    now = std::chrono::steady_clock::time_point{} + milliseconds(step.at_ms);
    if (step.position < 0) {
      throttled.SetProgressRange(0, 200);
    } else {
      throttled.SetProgress(step.position);
      EXPECT_EQ(throttled.Progress(), step.position) << "the position set is read back at once";
    }
  }
  EXPECT_EQ(bar.calls, GetParam().forwarded);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, Throttle,
    ::testing::Values(
        ThrottleCase{"first_step_at_once_then_one_per_interval",
                     {{0, 10}, {1, 20}, {20, 30}, {33, 40}, {40, 50}, {66, 60}, {98, 70}},
                     {"10", "40", "60"}},
        ThrottleCase{"both_ends_always", {{0, 10}, {1, 200}, {2, 150}, {3, 0}}, {"10", "200", "0"}},
        // A merge steps past the end of its bar: the end is painted once.
        ThrottleCase{"an_end_repeated_once", {{0, 190}, {1, 200}, {2, 200}, {50, 200}, {51, 0}},
                     {"190", "200", "0"}},
        ThrottleCase{"range_change_at_once", {{0, 10}, {1, -1}, {2, 30}}, {"10", "range 0..200"}},
        ThrottleCase{"a_slow_caller_sees_every_step", {{0, 10}, {40, 20}, {80, 30}, {120, 40}},
                     {"10", "20", "30", "40"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ThrottleFlush, ForwardsOnlyAPositionHeldBack) {
  Recorder bar;
  std::chrono::steady_clock::time_point now{};
  ThrottledProgress throttled(bar, milliseconds(33), [&now] { return now; });
  throttled.SetProgress(10);
  throttled.Flush();  // nothing held back
  throttled.SetProgress(20);
  throttled.SetProgress(30);
  throttled.Flush();
  throttled.Flush();
  EXPECT_EQ(bar.calls, (std::vector<std::string>{"10", "30"}));
}

}  // namespace
}  // namespace lenti
