// The lens settings as typed: the texts read without the locale, every bad
// setting refused with its message, and the readout of what a setting gives.
#include "interlace/lens_input.h"

#include <gtest/gtest.h>

#include "error_of.h"
#include "interlace/native_geometry.h"

namespace lenti {
namespace {

using testing::ErrorOf;

struct FixedCase {
  const char* text;
  int decimals;
  bool ok;
  int64_t value;
};

TEST(ReadFixedPoint, DecimalsWithEitherSeparatorRoundedTiesToEven) {
  const FixedCase cases[] = {
      {"60.12", 4, true, 601200},   {"60,12", 4, true, 601200}, {" 21.25 ", 4, true, 212500},
      {"40", 4, true, 400000},      {"-0.25", 4, true, -2500},  {"+.5", 4, true, 5000},
      {"1.00005", 4, true, 10000},  {"1.00015", 4, true, 10002}, {"1.000051", 4, true, 10001},
      {"14.5", 2, true, 1450},      {"7.", 2, true, 700},       {"", 4, false, 0},
      {".", 4, false, 0},           {"1.2.3", 4, false, 0},     {"1e3", 4, false, 0},
      {"40 lpi", 4, false, 0},      {"nan", 4, false, 0},       {"-", 4, false, 0},
      {"99999999999999", 4, false, 0},
  };
  for (const FixedCase& c : cases) {
    int64_t value = -7;
    EXPECT_EQ(ReadFixedPoint(c.text, c.decimals, value), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(LensTexts, ReadWhatThePersonTypes) {
  EXPECT_EQ(ParseLensPitch("61.53").X10000(), 615300);
  EXPECT_EQ(ParseLensPitch("42.275 lpi").X10000(), 422750);
  EXPECT_EQ(ParseLensPitch("300").X10000(), 3000000);
  EXPECT_EQ(ParseLensPitch("4.99995").X10000(), 50000);  // rounds to 5 lpi, ties to even
  EXPECT_EQ(ParseOutputDpi(kNearest300Text), kNearest300Dpi);
  EXPECT_EQ(ParseOutputDpi(""), kNearest300Dpi);
  EXPECT_EQ(ParseOutputDpi("720"), 720);
  EXPECT_EQ(ParseOutputDpi("1440 dpi"), 1440);
  EXPECT_EQ(ParsePhase("0.5"), 5000);
  EXPECT_EQ(ParsePhase("-0,125"), -1250);
  EXPECT_EQ(ParseCentimetres("14.5 cm", "width"), 1450);
  const PictureSizeCm a = ParsePictureSize("10x15");
  EXPECT_EQ(a.width, 1000);
  EXPECT_EQ(a.height, 1500);
  const PictureSizeCm b = ParsePictureSize("14,5 \xC3\x97 17,5");
  EXPECT_EQ(b.width, 1450);
  EXPECT_EQ(b.height, 1750);
  EXPECT_EQ(ParseSampling("area"), Sampling::Area);
  EXPECT_EQ(ParseSampling(" Nearest "), Sampling::Nearest);
}

struct BadText {
  const char* name;
  std::function<void()> parse;
  const char* message;
};

TEST(LensTexts, BadTextsAreRefusedWithTheirMessage) {
  const BadText cases[] = {
      {"pitch text", [] { ParseLensPitch("fine"); }, "The lens pitch \"fine\" is not a number; it must lie between 5 and 300 lpi"},
      {"pitch zero", [] { ParseLensPitch("0"); }, "The lens pitch must lie between 5 and 300 lpi, not 0"},
      {"pitch negative", [] { ParseLensPitch("-40"); }, "The lens pitch must lie between 5 and 300 lpi, not -40"},
      {"pitch coarse", [] { ParseLensPitch("4.9999"); },
       "The lens pitch must lie between 5 and 300 lpi, not 4.9999"},
      {"pitch fine", [] { ParseLensPitch("300.0001"); },
       "The lens pitch must lie between 5 and 300 lpi, not 300.0001"},
      {"dpi text", [] { ParseOutputDpi("high"); }, "The output resolution \"high\" is not a whole number of dpi; it must lie between 72 and 4800 dpi"},
      {"dpi fraction", [] { ParseOutputDpi("720.5"); },
       "The output resolution \"720.5\" is not a whole number of dpi; it must lie between 72 and 4800 dpi"},
      {"dpi zero", [] { ParseOutputDpi("0"); }, "The output resolution must lie between 72 and 4800 dpi, not 0"},
      {"dpi negative", [] { ParseOutputDpi("-600"); },
       "The output resolution must lie between 72 and 4800 dpi, not -600"},
      {"dpi high", [] { ParseOutputDpi("9600"); }, "The output resolution must lie between 72 and 4800 dpi, not 9600"},
      {"phase text", [] { ParsePhase("half"); }, "The phase \"half\" is not a number; it must lie between -0.5 and 0.5 of a lens"},
      {"phase high", [] { ParsePhase("0.5001"); }, "The phase must lie between -0.5 and 0.5 of a lens, not 0.5001"},
      {"phase low", [] { ParsePhase("-1"); }, "The phase must lie between -0.5 and 0.5 of a lens, not -1"},
      {"size shape", [] { ParsePictureSize("14.5"); },
       "The picture size must be WIDTH x HEIGHT in cm (14.5x17.5), not \"14.5\""},
      {"size zero", [] { ParsePictureSize("0x17.5"); },
       "The picture width must be more than 0 and at most 1000 cm, not 0"},
      {"size negative", [] { ParsePictureSize("14.5x-2"); },
       "The picture height must be more than 0 and at most 1000 cm, not -2"},
      {"size text", [] { ParsePictureSize("axb"); }, "The picture width \"a\" is not a number of centimetres; it must be more than 0 and at most 1000 cm"},
      {"sampling", [] { ParseSampling("bicubic"); }, "The sampling must be nearest or area, not \"bicubic\""},
  };
  for (const BadText& c : cases) EXPECT_EQ(ErrorOf(c.parse), c.message) << c.name;
}

TEST(LensGeometryChecks, PicturesThatCannotBeMadeAreRefusedFirst) {
  LensSettings fine;
  fine.LensLpiX = 3000000;  // 300 lpi at 200 dpi: 0.67 px per lens
  fine.OutputDpi = 200;
  EXPECT_EQ(ErrorOf([&] { ComputeLensGeometry(2, fine, Mode::PortraitRows); }),
            "A lens of 300 lpi is finer than a pixel at 200 dpi: choose a higher resolution or a coarser lens");
  LensSettings huge;
  huge.OutputDpi = 4800;
  huge.WidthCmX100 = 5000;
  huge.HeightCmX100 = 5000;
  EXPECT_EQ(ErrorOf([&] { ComputeLensGeometry(2, huge, Mode::PortraitRows); }),
            PictureTooLargeText(94488, 94488));
  LensSettings tiny;
  tiny.OutputDpi = 72;
  tiny.WidthCmX100 = 1;
  EXPECT_EQ(ErrorOf([&] { ComputeLensGeometry(2, tiny, Mode::PortraitRows); }),
            "A picture of 0.01 x 17.5 cm is smaller than a pixel at this resolution");
  LensSettings outside;
  outside.PhaseX10000 = 6000;  // set directly, past the texts
  EXPECT_EQ(ErrorOf([&] { ComputeLensGeometry(2, outside, Mode::PortraitRows); }),
            "The phase must lie between -0.5 and 0.5 of a lens, not 0.6");
  LensSettings no_dpi;
  no_dpi.OutputDpi = -300;
  EXPECT_EQ(ErrorOf([&] { ComputeLensGeometry(2, no_dpi, Mode::PortraitRows); }),
            "The output resolution must lie between 72 and 4800 dpi, not -300");
  LensSettings no_lens;
  no_lens.LensLpiX = 0;
  EXPECT_EQ(ErrorOf([&] { ComputeLensGeometry(2, no_lens, Mode::PortraitRows); }),
            "The lens pitch must lie between 5 and 300 lpi, not 0");
}

TEST(LensReadout, SaysWhatTheSettingGives) {
  const LensReadout classic = DescribeLens(LensSettings{}, 2, Mode::PortraitRows);
  EXPECT_EQ(classic.lens, "14 px per lens, strip 7 px");
  EXPECT_EQ(classic.picture, "297.5 dpi, 1698 x 2049 px");
  EXPECT_EQ(classic.warning, "");

  LensSettings lens;
  lens.LensLpiX = 400000;
  lens.OutputDpi = 720;
  EXPECT_EQ(DescribeLens(lens, 2, Mode::PortraitRows).lens, "18 px per lens, strip 9 px");
  EXPECT_EQ(DescribeLens(lens, 16, Mode::LandscapeColumns).lens, "18 px per lens");
  EXPECT_EQ(DescribeLens(lens, 16, Mode::LandscapeColumns).picture, "720 dpi, 4961 x 4110 px");

  lens.LensLpiX = 337500;  // 33.75 lpi at 600 dpi: 17.78 px
  lens.OutputDpi = 600;
  const LensReadout fractional = DescribeLens(lens, 16, Mode::PortraitRows);
  EXPECT_EQ(fractional.lens, "17.78 px per lens");
  EXPECT_EQ(fractional.warning, "");

  lens.LensLpiX = 601200;  // 9.98 px for 16 frames
  EXPECT_EQ(DescribeLens(lens, 16, Mode::PortraitRows).warning,
            "Too few pixels: 9.98 px per lens for 16 frames; at most 9 frames fit");
  lens.OutputDpi = 100;
  lens.LensLpiX = 2000000;
  const LensReadout refused = DescribeLens(lens, 2, Mode::PortraitRows);
  EXPECT_EQ(refused.lens, "");
  EXPECT_NE(refused.warning.find("finer than a pixel"), std::string::npos);
}

TEST(LensFields, ShowAndTakeTheirTextsAndABadTextChangesNothing) {
  LensSettings lens;
  const LensField fields[] = {LensField::Pitch, LensField::OutputDpi, LensField::Phase,
                              LensField::Width, LensField::Height,    LensField::Sampling};
  const char* classic[] = {"21.25", "nearest to 300 dpi", "0", "14.5", "17.5", "nearest"};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(LensFieldText(lens, fields[i]), classic[i]);
  const char* typed[] = {"60,12", "720", "-0.25", "10", "15.25", "area average"};
  for (int i = 0; i < 6; ++i) SetLensField(lens, fields[i], typed[i]);
  const char* shown[] = {"60.12", "720", "-0.25", "10", "15.25", "area average"};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(LensFieldText(lens, fields[i]), shown[i]);
  // What a field shows reads back as the same setting.
  LensSettings again;
  for (LensField field : fields) SetLensField(again, field, LensFieldText(lens, field));
  EXPECT_EQ(again, lens);
  const LensSettings before = lens;
  for (LensField field : fields) {
    EXPECT_NE(ErrorOf([&] { SetLensField(lens, field, "-9e"); }), "<no error>");
    EXPECT_EQ(lens, before);
  }
}

TEST(PixelsText, TwoDecimalsAtMost) {
  EXPECT_EQ(PixelsText(18), "18");
  EXPECT_EQ(PixelsText(17.7777777L), "17.78");
  EXPECT_EQ(PixelsText(600 / 60.12L), "9.98");
  EXPECT_EQ(PixelsText(7.5L), "7.5");
}

}  // namespace
}  // namespace lenti
