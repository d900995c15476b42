// The terminal progress bar: silent unless enabled, redrawn only when the
// percentage moves, and the line cleared at the end.
#include <gtest/gtest.h>

#include <sstream>

#include "app/cli_progress.h"

namespace lenti::cli {
namespace {

TEST(ProgressBar, DrawsNothingWhenStderrIsNoTerminal) {
  std::ostringstream out;
  {
    ProgressBar bar(out, false);
    bar.Update(1, 2);
    bar.Update(2, 2);
  }
  EXPECT_EQ(out.str(), "");
}

TEST(ProgressBar, RedrawsOnlyWhenThePercentageMovesAndClearsTheLine) {
  std::ostringstream out;
  ProgressBar bar(out, true);
  bar.Update(1, 4);
  const std::string quarter = out.str();
  EXPECT_EQ(quarter, "\r[#######-----------------------] 25%");
  bar.Update(1, 4);
  EXPECT_EQ(out.str(), quarter);
  bar.Update(5, 4);  // never past the end
  EXPECT_NE(out.str().find("[##############################] 100%"), std::string::npos);
  bar.Finish();
  EXPECT_EQ(out.str().back(), '\r');
  const size_t length = out.str().size();
  bar.Finish();  // once cleared, nothing more
  EXPECT_EQ(out.str().size(), length);
}

}  // namespace
}  // namespace lenti::cli
