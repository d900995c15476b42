// The chart window's Create run to its end on the test's thread: its Start,
// then Run and Finish as the worker runs them, never cancelled.
#pragma once

#include <memory>

#include "core/long_work.h"
#include "testchart/test_chart.h"

namespace lenti {

inline void CreateChartToEnd(MakerState& state, ChartView& view, const ChartSettings& settings) {
  const std::unique_ptr<LongWork> work = StartCreateChart(state, view, settings);
  if (work != nullptr) RunToEnd(*work);
}

}  // namespace lenti
