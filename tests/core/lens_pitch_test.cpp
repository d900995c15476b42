// The lens pitch: one reading for every text, its text reads back to the
// same pitch, and the one range with its message.
#include "core/lens_pitch.h"

#include <gtest/gtest.h>

#include <optional>

#include "error_of.h"

namespace lenti {
namespace {

using testing::ErrorOf;

struct PitchCase {
  const char* text;
  std::optional<int64_t> x10000;  // none: not a pitch at all
  bool in_range;
};

TEST(LensPitch, ReadsEveryTextOneWayAndHoldsItToOneRange) {
  const PitchCase cases[] = {
      {"21.25", 212500, true},     {"60,12", 601200, true},     {" 40 ", 400000, true},
      {"42.275 lpi", 422750, true}, {"40LPI", 400000, true},    {"5", 50000, true},
      {"300", 3000000, true},      {"4.99995", 50000, true},    {"4.9999", 49999, false},
      {"300.0001", 3000001, false}, {"0", 0, false},            {"-40", -400000, false},
      {"4e1", std::nullopt, false}, {"lpi", std::nullopt, false}, {"", std::nullopt, false},
      {"40.5.1", std::nullopt, false},
  };
  for (const PitchCase& c : cases) {
    const std::optional<LensPitch> pitch = ReadLensPitch(c.text);
    ASSERT_EQ(pitch.has_value(), c.x10000.has_value()) << c.text;
    if (!pitch) {
      EXPECT_EQ(ErrorOf([&] { ParseLensPitch(c.text); }),
                std::string("The lens pitch \"") + c.text + "\" is not a number; it must lie between 5 and 300 lpi");
      continue;
    }
    EXPECT_EQ(pitch->X10000(), *c.x10000) << c.text;
    EXPECT_EQ(InLensPitchRange(*pitch), c.in_range) << c.text;
    EXPECT_EQ(ReadLensPitch(pitch->Text()), pitch) << c.text << " shown as " << pitch->Text();
    const std::string refusal = "The lens pitch must lie between 5 and 300 lpi, not " + pitch->Text();
    EXPECT_EQ(ErrorOf([&] { ParseLensPitch(c.text); }), c.in_range ? "<no error>" : refusal) << c.text;
  }
}

TEST(LensPitch, DefaultsToTheClassicSheetAndOrdersByPitch) {
  EXPECT_EQ(LensPitch().X10000(), 212500);
  EXPECT_EQ(LensPitch().Text(), "21.25");
  EXPECT_LT(LensPitch::FromX10000(399999), LensPitch::FromX10000(400000));
  EXPECT_DOUBLE_EQ(LensPitch::FromX10000(218500).Lpi(), 21.85);
  EXPECT_EQ(LensPitchRangeText(), "5 and 300");
}

}  // namespace
}  // namespace lenti
