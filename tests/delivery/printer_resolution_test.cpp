// A queue's or a dialog's resolution choice read as the printer's dpi.
#include "delivery/printer_resolution.h"

#include <gtest/gtest.h>

namespace lenti {
namespace {

TEST(ParseResolutionChoice, DotsPerInchAlongThePageWidth) {
  const struct {
    const char* text;
    int dpi;
  } cases[] = {
      {"600dpi", 600},     {"300DPI", 300},    {"1200x600dpi", 1200}, {"600x1200dpi", 600},
      {"118dpcm", 300},    {"236dpc", 599},    {"9600dpi", 9600},     {"9601dpi", 0},
      {"0dpi", 0},         {"-300dpi", 0},     {"600", 0},            {"dpi", 0},
      {"600x0dpi", 0},     {"600xdpi", 0},     {"600 dpi", 0},        {"600dpix", 0},
      {"", 0},             {"99999999999999999999dpi", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseResolutionChoice(c.text), c.dpi) << c.text;
}

TEST(ResolutionFromOptions, TheLastResolutionOptionWins) {
  EXPECT_EQ(ResolutionFromOptions({}), 0);
  EXPECT_EQ(ResolutionFromOptions({{"media", "A4"}, {"copies", "600dpi"}}), 0);
  EXPECT_EQ(ResolutionFromOptions({{"Resolution", "300dpi"}, {"media", "A4"}}), 300);
  EXPECT_EQ(ResolutionFromOptions({{"printer-resolution", "600dpi"}, {"Resolution", "1200dpi"}}),
            1200);
  // A value that is no resolution does not undo a good one.
  EXPECT_EQ(ResolutionFromOptions({{"Resolution", "600dpi"}, {"Resolution", "Auto"}}), 600);
}

}  // namespace
}  // namespace lenti
