// The print preview's note: silent when each picture pixel is one printer
// pixel, else that the printer will resample and what would avoid it.
#include <gtest/gtest.h>

#include "delivery/print.h"

namespace lenti {
namespace {

TEST(ResampleNote, OnlyWhenThePrinterPrintsAtAnotherResolution) {
  EXPECT_EQ(ResampleNote(7200000, 720), "");
  EXPECT_EQ(ResampleNote(12000000, 1200), "");
  EXPECT_EQ(ResampleNote(7200000, 0), "") << "no printer resolution known";
  EXPECT_EQ(ResampleNote(7200000, 600),
            "The printer will resample: it prints at 600 dpi, the picture is 720 dpi. An output "
            "resolution of 600 dpi in the Lens group avoids it, or a printer set to 720 dpi.");
  // A classic picture at 297.5 dpi: no printer prints that.
  EXPECT_EQ(ResampleNote(2975000, 1200),
            "The printer will resample: it prints at 1200 dpi, the picture is 297.5 dpi. An output "
            "resolution of 1200 dpi in the Lens group avoids it.");
}

}  // namespace
}  // namespace lenti
