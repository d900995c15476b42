// The rounding rules and number conversions every formula depends on.
#include "core/numerics.h"

#include <gtest/gtest.h>

#include "comma_locale.h"

#include "core/error.h"

namespace lenti {
namespace {

TEST(Round, TiesGoToEven) {
  const struct {
    Extended in;
    int64_t out;
  } cases[] = {{2.5L, 2}, {3.5L, 4}, {-2.5L, -2}, {0.5L, 0}, {1.5L, 2}, {438.5L, 438},
               {2.4999L, 2}, {-3.7L, -4}, {1023.5L, 1024}};
  for (const auto& c : cases) EXPECT_EQ(Round(c.in), c.out) << static_cast<double>(c.in);
}

TEST(Trunc, GoesTowardZero) {
  EXPECT_EQ(Trunc(2.9L), 2);
  EXPECT_EQ(Trunc(-2.9L), -2);
  EXPECT_EQ(Trunc(-107.5L), -107);
}

TEST(Divide, RaisesTheTwoFloatingPointErrors) {
  EXPECT_EQ(Divide(1, 4), 0.25L);
  try {
    Divide(3, 0);
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Floating point division by zero");
  }
  try {
    Divide(0, 0);
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Invalid floating point operation");
  }
}

TEST(StrToInt, AcceptsDecimalAndHexadecimalForms) {
  const struct {
    const char* in;
    int32_t out;
  } cases[] = {{"1200", 1200}, {"  42", 42}, {"-7", -7}, {"+9", 9}, {"$1F", 31},
               {"x10", 16},    {"X10", 16},  {"0x10", 16}, {"0", 0}, {"2147483647", 2147483647}};
  for (const auto& c : cases) EXPECT_EQ(StrToInt(c.in), c.out) << c.in;
}

TEST(StrToInt, RefusesEverythingElseWithTheToolkitText) {
  for (const char* bad : {"", " ", "12a", "1.5", "abc", "12 ", "2147483648", "--1", "0x"}) {
    try {
      StrToInt(bad);
      FAIL() << bad;
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid integer value");
    }
  }
}

TEST(StrToFloat, ReadsDecimalsAndRefusesText) {
  EXPECT_EQ(StrToFloat("21.25"), 21.25L);
  EXPECT_EQ(StrToFloat(" 40 "), 40.0L);
  EXPECT_EQ(Round(StrToFloat("40.5") * 10000), 405000);
  for (const char* bad : {"", "forty", "1,5", "0x10", "inf", "nan", "."}) {
    try {
      StrToFloat(bad);
      FAIL() << bad;
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid floating point value");
    }
  }
}

TEST(FloatToStr, GeneralFormatWithoutTrailingZeros) {
  EXPECT_EQ(FloatToStr(40), "40");
  EXPECT_EQ(FloatToStr(395296 / 10000.0L), "39.5296");
  EXPECT_EQ(FloatToStr(212500 / 10000.0L), "21.25");
  EXPECT_EQ(FloatToStr(397510 / 10000.0L), "39.751");
  EXPECT_EQ(FloatToStr(-3), "-3");
  EXPECT_EQ(FloatToStr(0.1L), "0.1");
}

// Under a comma locale (LC_NUMERIC as QApplication sets it from the
// environment) "." is still read, the locale's "," too, and what
// FloatToStr writes reads back.
TEST(NumbersInACommaLocale, PointAlwaysCommaTooAndWhatIsWrittenReadsBack) {
  testing::CommaLocale comma;
  if (!comma.available()) GTEST_SKIP() << "localedef is not installed";
  ASSERT_TRUE(comma.active()) << "localedef made no usable comma locale";
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.2f", 1.5);
  ASSERT_STREQ(probe, "1,50") << "the comma locale is not in force: the test proves nothing";

  const struct {
    const char* text;
    Extended value;
  } read[] = {{"39.5", 39.5L}, {"39,5", 39.5L}, {" 21,25 ", 21.25L}, {"1,5E2", 150}, {"40", 40}};
  for (const auto& c : read) EXPECT_EQ(StrToFloat(c.text), c.value) << c.text;
  for (const char* bad : {"1.5,3", "1,5,3", ",", "1.000,5"}) {
    EXPECT_THROW(StrToFloat(bad), Error) << bad;
  }
  for (const Extended value : {21.25L, 39.5296L, 0.1L, -3.0L, 1e20L, 422.75L}) {
    const std::string written = FloatToStr(value);
    EXPECT_EQ(written.find(','), std::string::npos) << written;
    EXPECT_EQ(StrToFloat(written), value) << written;
    EXPECT_EQ(FloatToStr(StrToFloat(written)), written);
  }
  EXPECT_EQ(FloatToStr(212500 / 10000.0L), "21.25");
}

}  // namespace
}  // namespace lenti
