// Press output: the CMYK TIFF as another program reads it (libtiff, and
// lcms2 with the embedded profile back to the picture's colours), the parts
// that print from the black plate alone, the bleed's size and its trim area,
// the PDF boxes and marks, and every bad profile or bleed refused with
// nothing written.
#include <lcms2.h>
#include <tiffio.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/bmp_reader.h"
#include "core/error.h"
#include "core/file_io.h"
#include "delivery/bleed.h"
#include "delivery/cmyk_transform.h"
#include "delivery/pdf_printer.h"
#include "delivery/press_marks.h"
#include "delivery/press_print.h"
#include "delivery/press_profile.h"
#include "delivery/press_save.h"
#include "delivery/press_settings.h"
#include "delivery/save.h"
#include "delivery/press_tiff.h"
#include "delivery/print.h"
#include "error_of.h"
#include "fake_frontend.h"
#include "fake_printer.h"
#include "finishing/align_bars.h"
#include "finishing/test_pictures.h"
#include "finishing/text_overlay.h"
#include "temp_dir.h"

namespace lenti {
namespace {

using testing::ErrorOf;
using testing::MergedState;
using testing::TempDir;

struct CmykFile {
  uint32_t width = 0, height = 0;
  uint16_t photometric = 0, inkset = 0, samples = 0, bits = 0, compression = 0;
  float x_dpi = 0;
  std::vector<uint8_t> icc;
  std::vector<uint8_t> pixels;  // width x height x 4
  const uint8_t* At(uint32_t x, uint32_t y) const { return &pixels[(size_t{y} * width + x) * 4]; }
};

CmykFile ReadCmykTiff(const std::string& path) {
  CmykFile f;
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  if (tif == nullptr) throw Error("cannot open " + path);
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &f.width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &f.height);
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &f.photometric);
  TIFFGetField(tif, TIFFTAG_INKSET, &f.inkset);
  TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &f.samples);
  TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &f.bits);
  TIFFGetField(tif, TIFFTAG_COMPRESSION, &f.compression);
  TIFFGetField(tif, TIFFTAG_XRESOLUTION, &f.x_dpi);
  uint32_t icc_size = 0;
  void* icc = nullptr;
  if (TIFFGetField(tif, TIFFTAG_ICCPROFILE, &icc_size, &icc)) {
    f.icc.assign(static_cast<uint8_t*>(icc), static_cast<uint8_t*>(icc) + icc_size);
  }
  f.pixels.resize(size_t{f.width} * f.height * 4);
  for (uint32_t y = 0; y < f.height; ++y) TIFFReadScanline(tif, &f.pixels[size_t{y} * f.width * 4], y);
  TIFFClose(tif);
  return f;
}

// Colours well inside any press's gamut: lightness 30 to 85, chroma at most
// about 25, spread over the picture (Lab -> sRGB through lcms2).
Raster InGamutPicture(int width, int height) {
  cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsHTRANSFORM to_srgb = cmsCreateTransform(lab, TYPE_Lab_DBL, srgb, TYPE_BGR_8, INTENT_RELATIVE_COLORIMETRIC, 0);
  Raster picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const cmsCIELab c{30.0 + 55.0 * y / (height - 1), -18.0 + 36.0 * x / (width - 1), 18.0 - 36.0 * ((x + y) % 7) / 6};
      cmsDoTransform(to_srgb, &c, picture.Row(y) + 3 * x, 1);
    }
  }
  cmsDeleteTransform(to_srgb);
  cmsCloseProfile(srgb);
  cmsCloseProfile(lab);
  return picture;
}

// The mean CIEDE2000 between the picture's colours and the ink the press
// profile's tables make of them, read back through the same profile as a
// viewer does: the file's 8-bit CMYK, or (without `file`) the profile's own
// floating-point conversion, which is what its tables lose by themselves.
double MeanDeltaE(const Raster& picture, const std::vector<uint8_t>& icc, PressIntent intent,
                  const CmykFile* file = nullptr) {
  cmsHPROFILE press = cmsOpenProfileFromMem(icc.data(), static_cast<cmsUInt32Number>(icc.size()));
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
  const cmsUInt32Number lcms_intent =
      intent == PressIntent::Perceptual ? INTENT_PERCEPTUAL : INTENT_RELATIVE_COLORIMETRIC;
  const cmsUInt32Number exact = cmsFLAGS_NOOPTIMIZE;
  cmsHTRANSFORM to_ink = cmsCreateTransform(srgb, TYPE_BGR_8, press, TYPE_CMYK_DBL, lcms_intent,
                                            cmsFLAGS_BLACKPOINTCOMPENSATION | exact);
  cmsHTRANSFORM ink_to_lab = cmsCreateTransform(press, TYPE_CMYK_DBL, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, exact);
  cmsHTRANSFORM file_to_lab = cmsCreateTransform(press, TYPE_CMYK_8, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
  cmsHTRANSFORM rgb_to_lab = cmsCreateTransform(srgb, TYPE_BGR_8, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
  double total = 0;
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      cmsCIELab want, got;
      cmsDoTransform(rgb_to_lab, picture.Row(y) + 3 * x, &want, 1);
      if (file != nullptr) {
        cmsDoTransform(file_to_lab, file->At(static_cast<uint32_t>(x), static_cast<uint32_t>(y)), &got, 1);
      } else {
        double ink[4];
        cmsDoTransform(to_ink, picture.Row(y) + 3 * x, ink, 1);
        cmsDoTransform(ink_to_lab, ink, &got, 1);
      }
      total += cmsCIE2000DeltaE(&want, &got, 1, 1, 1);
    }
  }
  for (cmsHTRANSFORM t : {to_ink, ink_to_lab, file_to_lab, rgb_to_lab}) cmsDeleteTransform(t);
  for (cmsHPROFILE p : {lab, srgb, press}) cmsCloseProfile(p);
  return total / (picture.Width() * picture.Height());
}

std::vector<uint8_t> SrgbProfileBytes() {
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(srgb, nullptr, &size);
  std::vector<uint8_t> bytes(size);
  cmsSaveProfileToMem(srgb, bytes.data(), &size);
  cmsCloseProfile(srgb);
  return bytes;
}

// A 2-frame merge of 7 px strips as the window leaves it, at 297.5 dpi.
MakerState ClassicState(Raster picture) {
  MakerState state = MergedState(picture.Width(), picture.Height(), 2, 7);
  state.merged.MergedBitmap = std::move(picture);
  state.merged.Geometry.LensLpiX = 212500;
  state.merged.Geometry.OutputDpiX = 2975000;
  return state;
}

PressOutput Cmyk(PressIntent intent = PressIntent::Perceptual) {
  PressOutput press;
  press.cmyk = true;
  press.intent = intent;
  return press;
}

// ---- the CMYK file ---------------------------------------------------------

class CmykRoundTrip : public ::testing::TestWithParam<PressIntent> {};

TEST_P(CmykRoundTrip, OpensAsCmykWithTheProfileAndGivesBackThePicturesColours) {
  TempDir dir;
  const MakerState state = ClassicState(InGamutPicture(47, 33));
  SavePressPicture(state, Cmyk(GetParam()), dir / "press.tif");
  const CmykFile file = ReadCmykTiff(dir / "press.tif");
  EXPECT_EQ(file.width, 47u);
  EXPECT_EQ(file.height, 33u);
  EXPECT_EQ(file.photometric, PHOTOMETRIC_SEPARATED);
  EXPECT_EQ(file.inkset, INKSET_CMYK);
  EXPECT_EQ(file.samples, 4);
  EXPECT_EQ(file.bits, 8);
  EXPECT_EQ(file.compression, COMPRESSION_ADOBE_DEFLATE);
  EXPECT_EQ(file.x_dpi, 297.5f);
  EXPECT_EQ(file.icc, ReadWholeFile(kDefaultPressProfile));
  const double delta_e = MeanDeltaE(*state.merged.MergedBitmap, file.icc, GetParam(), &file);
  const double expected = MeanDeltaE(*state.merged.MergedBitmap, file.icc, GetParam());
  RecordProperty("mean_delta_e_2000", std::to_string(delta_e));
  RecordProperty("profile_mean_delta_e_2000", std::to_string(expected));
  // The file loses no more than 8-bit ink adds to what the profile's tables
  // lose themselves (about 2 for the default press profile), and that is
  // within what a press profile is expected to hold of in-gamut colours.
  EXPECT_LT(delta_e, expected + 0.25);
  EXPECT_LT(expected, 3.0);
  EXPECT_EQ(dir.Count(), 1u);  // no temporary file left
}

INSTANTIATE_TEST_SUITE_P(Intents, CmykRoundTrip,
                         ::testing::Values(PressIntent::RelativeColorimetric, PressIntent::Perceptual));

TEST(CmykFile, TheIntentsDifferOnlyWhereThePressMustGiveWay) {
  // Saturated sRGB blue lies outside a press's gamut: the intents map it apart.
  Raster blue(4, 4);
  blue.FillRect(blue.ClipRect(), Color{0, 0, 255});
  const PressProfile profile = PressProfile::Load("");
  PressPicture p;
  p.picture = &blue;
  p.dpi = 300;
  p.bleed = MapBleed(blue, 0, LensGrid{});
  EXPECT_NE(CmykRowsOf(p, profile, PressIntent::Perceptual), CmykRowsOf(p, profile, PressIntent::RelativeColorimetric));
}

// ---- black ink only ----------------------------------------------------------

bool PureK(const uint8_t* cmyk, uint8_t k) { return cmyk[0] == 0 && cmyk[1] == 0 && cmyk[2] == 0 && cmyk[3] == k; }

TEST(BlackInk, TheAlignmentBandIsPureKAndThePicturesBlackIsNot) {
  TempDir dir;
  Raster picture(28, 20);
  picture.FillRect(picture.ClipRect(), kBlack);  // the photo's own black
  MakerState state = ClassicState(std::move(picture));
  AddAlignBand(state);
  const Raster& banded = *state.merged.MergedBitmap;
  ASSERT_EQ(banded.Width(), 28 + 4 * 14);
  SavePressPicture(state, Cmyk(), dir / "bars.tif");
  const CmykFile file = ReadCmykTiff(dir / "bars.tif");
  for (uint32_t y = 0; y < file.height; ++y) {
    for (uint32_t x = 28; x < file.width; ++x) {
      const bool black = banded.PixelColor(static_cast<int>(x), static_cast<int>(y)) == kBlack;
      ASSERT_TRUE(PureK(file.At(x, y), black ? 255 : 0)) << x << ", " << y;
    }
  }
  // Black in the photo is the profile's rich black: more than the black plate.
  EXPECT_GT(file.At(3, 3)[0], 0);
}

TEST(BlackInk, TheBandStaysPureKAfterATurn) {
  TempDir dir;
  MakerState state = ClassicState(testing::NoisePicture(28, 20, 3));
  AddAlignBand(state);
  TurnAlignBandCounterClockwise(state);
  state.merged.MergedBitmap = testing::ReferenceTurn(*state.merged.MergedBitmap);
  const std::vector<Rect> areas = AlignBandAreas(state);
  ASSERT_EQ(areas.size(), 1u);
  EXPECT_EQ(areas[0], (Rect{0, 0, 20, 56}));  // the band now lies along the top
  SavePressPicture(state, Cmyk(), dir / "turned.tif");
  const CmykFile file = ReadCmykTiff(dir / "turned.tif");
  for (uint32_t y = 0; y < 56; ++y) {
    for (uint32_t x = 0; x < file.width; ++x) {
      const uint8_t* p = file.At(x, y);
      ASSERT_TRUE(PureK(p, 0) || PureK(p, 255)) << x << ", " << y;
    }
  }
}

TEST(BlackInk, TheChartIsPureKEveryPixel) {
  TempDir dir;
  Raster chart(37, 9, PixelFormat::pf1bit);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 37; ++x) chart.SetPixelColor(x, y, (x / 3 + y) % 2 ? kWhite : kBlack);
  }
  SaveChartCmyk(chart, 1200, PressProfile::Load(""), dir / "chart.tif");
  const CmykFile file = ReadCmykTiff(dir / "chart.tif");
  EXPECT_EQ(file.x_dpi, 1200.0f);
  for (uint32_t y = 0; y < 9; ++y) {
    for (uint32_t x = 0; x < 37; ++x) {
      const bool black = chart.PixelColor(static_cast<int>(x), static_cast<int>(y)) == kBlack;
      ASSERT_TRUE(PureK(file.At(x, y), black ? 255 : 0)) << x << ", " << y;
    }
  }
}

TEST(BlackInk, BlackTextIsKOverThePictureOnlyWhenAsked) {
  Raster white(60, 30);
  MakerState state = ClassicState(white);
  SetPendingText(state, JobText{"H", Font{"DejaVu Sans", 20, true, false, false, false, kRed}, Point{5, 0}});
  const std::vector<uint8_t> coverage = TextCoverage(state);
  ASSERT_EQ(coverage.size(), 60u * 30u);
  size_t full = 0;
  for (uint8_t a : coverage) full += a == 255;
  ASSERT_GT(full, 10u);
  const PressProfile profile = PressProfile::Load("");
  std::optional<Raster> with_text;
  PressPicture p;
  p.picture = &PictureWithText(state, with_text);
  p.dpi = 297.5;
  p.bleed = MapBleed(*p.picture, 0, LensGrid{});
  const std::vector<uint8_t> coloured = CmykRowsOf(p, profile, PressIntent::Perceptual);
  p.black_ink.text_coverage = coverage;
  p.black_ink.under = &*state.merged.MergedBitmap;
  const std::vector<uint8_t> black = CmykRowsOf(p, profile, PressIntent::Perceptual);
  for (size_t i = 0; i < coverage.size(); ++i) {
    if (coverage[i] == 255) {
      ASSERT_TRUE(PureK(&black[i * 4], 255)) << i;
    } else if (coverage[i] == 0) {
      ASSERT_EQ(std::memcmp(&black[i * 4], &coloured[i * 4], 4), 0) << i;
    }
  }
  // The red text in colour is made of more than the black plate.
  for (size_t i = 0; i < coverage.size(); ++i) {
    if (coverage[i] == 255) {
      EXPECT_GT(coloured[i * 4 + 1], 128);  // magenta
      break;
    }
  }
}

// ---- bleed -----------------------------------------------------------------

struct BleedCase {
  const char* name;
  StripAxis axis;
  Extended period;
  int32_t bleed;
};

class Bleed : public ::testing::TestWithParam<BleedCase> {};

TEST_P(Bleed, GrowsEverySideRunsTheLensGridOnAndKeepsTheTrimArea) {
  const BleedCase& c = GetParam();
  const Raster picture = testing::NoisePicture(53, 41, 7);
  const BleedMap map = MapBleed(picture, c.bleed, LensGrid{c.axis, c.period});
  const Raster grown = WithBleed(picture, map);
  ASSERT_EQ(grown.Width(), 53 + 2 * c.bleed);
  ASSERT_EQ(grown.Height(), 41 + 2 * c.bleed);
  for (int y = 0; y < 41; ++y) {
    ASSERT_EQ(std::memcmp(grown.Row(y + c.bleed) + 3 * c.bleed, picture.Row(y), 53 * 3), 0) << "trim row " << y;
  }
  const bool down = c.axis == StripAxis::Rows;
  const std::vector<int32_t>& across = down ? map.source_y : map.source_x;  // the lens axis
  const std::vector<int32_t>& along = down ? map.source_x : map.source_y;
  const int32_t across_length = down ? 41 : 53;
  for (int32_t p = -c.bleed; p < across_length + c.bleed; ++p) {
    const int32_t source = across[static_cast<size_t>(p + c.bleed)];
    ASSERT_TRUE(source >= 0 && source < across_length);
    // The same place under its lens, within the half pixel a fractional period allows.
    const Extended lenses = (static_cast<Extended>(p) - source) / c.period;
    EXPECT_LE(std::fabs(lenses - std::round(lenses)) * c.period, 0.5L) << c.name << " line " << p;
    // No nearer line of the same place lies inside the picture.
    if (p < 0 || p >= across_length) {
      EXPECT_LE(std::abs(p - source), c.period + c.bleed) << p;
    }
  }
  for (int32_t p = -c.bleed; p < 0; ++p) EXPECT_EQ(along[static_cast<size_t>(p + c.bleed)], 0);
  EXPECT_EQ(along.back(), (down ? 53 : 41) - 1);
}

INSTANTIATE_TEST_SUITE_P(Grids, Bleed,
                         ::testing::Values(BleedCase{"rows_whole_strips", StripAxis::Rows, 14, 9},
                                           BleedCase{"columns_whole_strips", StripAxis::Columns, 15, 20},
                                           BleedCase{"rows_periodic", StripAxis::Rows, 13.6L, 30},
                                           BleedCase{"columns_periodic", StripAxis::Columns, 8.47L, 3},
                                           BleedCase{"none", StripAxis::Rows, 14, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BleedLines, PassOverTheWhiteLinesPastAFramesEnd) {
  // Lines 12 and 13 are the gap the merge left at the end, lenses of 4:
  // lines 16 and 17 take 8 and 9, one lens further in.
  std::vector<bool> blank(14, false);
  blank[12] = blank[13] = true;
  const std::vector<int32_t> lines = BleedLines(14, 4, 4, blank);
  EXPECT_EQ(std::vector<int32_t>(lines.end() - 4, lines.end()), (std::vector<int32_t>{10, 11, 8, 9}));
}

TEST(BleedSize, MillimetresBecomeWholePixelsAndOnlyZeroToTwentyAreTaken) {
  EXPECT_EQ(BleedPixels(3, 297.5), 35);   // 35.14
  EXPECT_EQ(BleedPixels(20, 720), 567);   // 566.93
  EXPECT_EQ(BleedPixels(0, 720), 0);
  for (const double mm : {-0.1, 20.01, std::nan("")}) {
    EXPECT_NE(ErrorOf([&] { BleedPixels(mm, 300); }).find("The bleed must lie between 0 and 20 mm"),
              std::string::npos) << mm;
  }
}

TEST(BleedCmyk, TheTrimAreaOfTheCmykFileIsTheFileWithoutBleed) {
  TempDir dir;
  MakerState state = ClassicState(testing::NoisePicture(40, 31, 5));
  AddAlignBand(state);
  PressOutput press = Cmyk();
  SavePressPicture(state, press, dir / "plain.tif");
  press.bleed_mm = 2;
  SavePressPicture(state, press, dir / "bleed.tif");
  const CmykFile plain = ReadCmykTiff(dir / "plain.tif");
  const CmykFile grown = ReadCmykTiff(dir / "bleed.tif");
  const uint32_t b = static_cast<uint32_t>(BleedPixels(2, 297.5));
  ASSERT_EQ(grown.width, plain.width + 2 * b);
  ASSERT_EQ(grown.height, plain.height + 2 * b);
  for (uint32_t y = 0; y < plain.height; ++y) {
    ASSERT_EQ(std::memcmp(grown.At(b, y + b), plain.At(0, y), size_t{plain.width} * 4), 0) << y;
  }
  // The band runs on into the bleed in black ink only.
  EXPECT_TRUE(PureK(grown.At(grown.width - 1, 0), 255));
}

// ---- the press page --------------------------------------------------------

TEST(PressPage, TheMarksLieOutsideTheBleedAndOnThePage) {
  const PressSheet sheet{1698, 2049, 35, 297.5, "job"};
  const PressPageLayout page = LayOutPressPage(sheet, 210, 297, true);
  // The sizes are read back from the file below; here: centred on the A4 page.
  EXPECT_NEAR(static_cast<double>(page.media_width), 210 / 25.4 * 72, 1e-9);
  EXPECT_NEAR(static_cast<double>(page.trim.left + page.trim.right), static_cast<double>(page.media_width), 1e-9);
  // Every point a mark's path names lies outside the bleed box and on the page.
  size_t points = 0;
  std::istringstream ops(page.marks.substr(0, page.marks.find("BT")));
  std::vector<double> numbers;
  for (std::string word; ops >> word;) {
    char* end = nullptr;
    const double v = std::strtod(word.c_str(), &end);
    if (*end == '\0') {
      numbers.push_back(v);
      continue;
    }
    if (word == "m" || word == "l" || word == "c") {
      ASSERT_EQ(numbers.size() % 2, 0u) << word;
      for (size_t i = 0; i < numbers.size(); i += 2, ++points) {
        const double x = numbers[i], y = numbers[i + 1];
        const bool inside = x > static_cast<double>(page.bleed.left) && x < static_cast<double>(page.bleed.right) &&
                            y > static_cast<double>(page.bleed.bottom) && y < static_cast<double>(page.bleed.top);
        EXPECT_FALSE(inside) << x << ", " << y;
        EXPECT_TRUE(x >= 0 && y >= 0 && x <= static_cast<double>(page.media_width) &&
                    y <= static_cast<double>(page.media_height));
      }
    }
    numbers.clear();
  }
  EXPECT_EQ(points, 8u * 2 + 4u * (1 + 4 * 3 + 2 * 2));  // 8 crop marks; 4 circles of 4 arcs, and their crosses
}

TEST(PressPage, APageTooSmallGrowsToHoldThePictureItsBleedAndMarks) {
  const PressPageLayout page = LayOutPressPage(PressSheet{3000, 3000, 100, 300, ""}, 210, 297, true);
  EXPECT_GT(page.media_width, page.bleed.Width());
  EXPECT_GT(page.bleed.left, 0);
  EXPECT_FALSE(page.uses_font);  // no job line
}

// The four numbers after `name` in a PDF's text ("/TrimBox [l b r t]").
std::vector<double> BoxIn(const std::string& pdf, const std::string& name) {
  const size_t at = pdf.find(name + " [");
  if (at == std::string::npos) return {};
  std::istringstream in(pdf.substr(at + name.size() + 2));
  std::vector<double> box(4);
  for (double& v : box) in >> v;
  return in ? box : std::vector<double>{};
}

std::string Num(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", v);
  std::string s = text;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

std::string ReadText(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(PressPage, ThePdfCarriesTheBoxesTheMarksAndTheJobLine) {
  TempDir dir;
  const MakerState state = ClassicState(testing::NoisePicture(59, 71, 2));
  PressOutput press;
  press.bleed_mm = 3;
  press.marks = true;
  PdfPrinter printer(dir / "press.pdf", PageSizeByName("A4"), 600);
  PrintPressPage(state, press, "cards (1).tif", printer, PageSizeByName("A4"));
  const std::string pdf = ReadText(dir / "press.pdf");
  EXPECT_NE(pdf.find("/MediaBox [0 0 595.2756 841.8898]"), std::string::npos);
  const std::vector<double> trim = BoxIn(pdf, "/TrimBox");
  const std::vector<double> bleed = BoxIn(pdf, "/BleedBox");
  ASSERT_EQ(trim.size(), 4u);
  ASSERT_EQ(bleed.size(), 4u);
  const double mm = 72 / 25.4;
  // The trim is the picture's true size to a hundredth of a millimetre.
  EXPECT_NEAR((trim[2] - trim[0]) / mm, 59 / 297.5 * 25.4, 0.01);
  EXPECT_NEAR((trim[3] - trim[1]) / mm, 71 / 297.5 * 25.4, 0.01);
  // 3 mm of bleed at 297.5 dpi is 35 px on every side.
  for (int i = 0; i < 2; ++i) EXPECT_NEAR((trim[i] - bleed[i]) / mm, 35 / 297.5 * 25.4, 0.01) << i;
  for (int i = 2; i < 4; ++i) EXPECT_NEAR((bleed[i] - trim[i]) / mm, 35 / 297.5 * 25.4, 0.01) << i;
  EXPECT_NE(pdf.find("1 1 1 1 K"), std::string::npos);  // registration colour
  EXPECT_NE(pdf.find("(cards \\(1\\).tif | 21.25 lpi | 297.5 dpi | "), std::string::npos);
  EXPECT_NE(pdf.find("/BaseFont /Helvetica"), std::string::npos);
  // The image covers the bleed box: 59 + 2 x 35 px wide, drawn at its size.
  EXPECT_NE(pdf.find("/Width 129 /Height 141"), std::string::npos);
  EXPECT_NE(pdf.find("q " + Num(bleed[2] - bleed[0]) + " 0 0 " + Num(bleed[3] - bleed[1])), std::string::npos);
}

// ---- the window's commands ---------------------------------------------------

TEST(SaveMergedForPress, TheCmykChoiceWritesThePressFileWithTheWindowsBleed) {
  TempDir dir;
  MakerState state = ClassicState(testing::NoisePicture(40, 30, 9));
  testing::FakeFrontend frontend;
  SetPressBleed(state, 3);
  frontend.save_answers = {dir / "press.tif", dir / "plain.bmp"};
  frontend.press_answers = {true, false};
  SaveMerged(state, frontend);
  const CmykFile file = ReadCmykTiff(dir / "press.tif");
  EXPECT_EQ(file.photometric, PHOTOMETRIC_SEPARATED);
  EXPECT_EQ(file.width, 40u + 2 * 35);
  EXPECT_TRUE(state.output.press.cmyk);  // the job says so
  SaveMerged(state, frontend);  // the plain types grow by the bleed too
  const Raster plain = LoadBmpFile(dir / "plain.bmp");
  EXPECT_EQ(plain.Width(), 40 + 2 * 35);
  EXPECT_FALSE(state.output.press.cmyk);
  EXPECT_EQ(frontend.messages.back(), "Saved to \"" + (dir / "plain.bmp") + "\".");
}

TEST(PressSettings, ABadProfileOrBleedIsRefusedAndTheSettingStays) {
  TempDir dir;
  MakerState state;
  testing::FakeFrontend frontend;
  const std::vector<uint8_t> rgb = SrgbProfileBytes();
  WriteWholeFile(dir / "rgb.icc", rgb.data(), rgb.size());
  frontend.profile_answers = {dir / "rgb.icc", "", kDefaultPressProfile};
  EXPECT_NE(ErrorOf([&] { ChoosePressProfile(state, frontend); }).find("not a CMYK output profile"), std::string::npos);
  EXPECT_EQ(state.output.press.profile, "");
  ChoosePressProfile(state, frontend);  // cancelled
  EXPECT_EQ(state.output.press.profile, "");
  ChoosePressProfile(state, frontend);
  EXPECT_EQ(state.output.press.profile, kDefaultPressProfile);
  SetPressBleed(state, 5);
  EXPECT_NE(ErrorOf([&] { SetPressBleed(state, 21); }).find("The bleed must lie between 0 and 20 mm"), std::string::npos);
  EXPECT_EQ(state.output.press.bleed_mm, 5);
}

TEST(PressSettings, TheSizeReadoutNamesTheTrimAndTheBleedSize) {
  const struct {
    double width, height, bleed;
    const char* text;
  } table[] = {
      {14.5, 17.5, 0, "trim 14.5 x 17.5 cm"},
      {14.5, 17.5, 3, "trim 14.5 x 17.5 cm, with 3 mm bleed 15.1 x 18.1 cm"},
      {17.5, 14.5, 2.5, "trim 17.5 x 14.5 cm, with 2.5 mm bleed 18 x 15 cm"},
  };
  for (const auto& row : table) EXPECT_EQ(PressSizeText(row.width, row.height, row.bleed), row.text);
}

TEST(PressSettings, TheProofMarksWhatThePressCannotPrint) {
  MakerState state;
  Raster picture(8, 2);
  picture.FillRect(Rect{0, 0, 4, 2}, Color{0, 0, 255});      // beyond the press
  picture.FillRect(Rect{4, 0, 8, 2}, Color{128, 128, 128});  // within it
  const Raster marked = PressProof(state, picture, true);
  EXPECT_EQ(marked.PixelColor(0, 0), kGamutAlarm);
  EXPECT_NE(marked.PixelColor(6, 1), kGamutAlarm);
  const Raster proof = PressProof(state, picture, false);
  EXPECT_NE(proof.PixelColor(0, 0), kGamutAlarm);
  EXPECT_NE(proof.PixelColor(0, 0), (Color{0, 0, 255}));
}

TEST(PrintForPress, TheGrownPictureKeepsTheTrimWhereThePlainPrintLiesAndTheMarksLieOutside) {
  MakerState state = ClassicState(testing::NoisePicture(298, 350, 4));  // about 1 x 1.2 inch
  state.printer.PrinterDpi = 600;
  testing::FakePrinter printer;
  printer.current = {600, 4800, 6600};
  const Rect plain = PrintRectangle(298, 350, 2975000, 600, 4800, 6600);
  SetPressBleed(state, 3);
  SetPrintMarks(state, true);
  ASSERT_TRUE(PrintMergedBitmap(state, printer));
  EXPECT_EQ(printer.calls, (std::vector<std::string>{"begin", "draw", "marks", "end"}));
  ASSERT_EQ(printer.drawn.size(), 1u);
  EXPECT_EQ(printer.drawn[0].Width(), 298 + 2 * 35);
  const Rect& grown = printer.drawn_rects[0];
  // 35 picture pixels at 297.5 dpi are 70.6 printer pixels on each side.
  EXPECT_NEAR(plain.left - grown.left, 70.6, 1);
  EXPECT_NEAR(grown.bottom - plain.bottom, 70.6, 1);
  ASSERT_EQ(printer.marks.size(), 1u);
  const PageMarks& marks = printer.marks[0];
  EXPECT_EQ(marks.lines.size(), 8u + 4 * 2);
  for (const PageMarks::Line& l : marks.lines) {
    for (const auto& [x, y] : {std::pair{l.x1, l.y1}, std::pair{l.x2, l.y2}}) {
      EXPECT_FALSE(x > grown.left && x < grown.right && y > grown.top && y < grown.bottom) << x << ", " << y;
    }
  }
  EXPECT_EQ(marks.text.rfind("untitled | 21.25 lpi | 297.5 dpi | ", 0), 0u) << marks.text;
  EXPECT_GT(marks.text_y, grown.bottom);  // the job line below the picture
}

TEST(PrintForPress, APrinterThatCannotDrawMarksAbortsTheJob) {
  struct NoMarks : testing::FakePrinter {
    void DrawMarks(const PageMarks& marks) override { PrinterPort::DrawMarks(marks); }
  } printer;
  MakerState state = ClassicState(testing::NoisePicture(30, 30, 4));
  state.printer.PrinterDpi = 600;
  SetPrintMarks(state, true);
  EXPECT_EQ(ErrorOf([&] { PrintMergedBitmap(state, printer); }), "This printer cannot draw crop marks");
  EXPECT_EQ(printer.calls.back(), "abort");
}

// ---- bad input ---------------------------------------------------------------

struct BadProfile {
  const char* name;
  std::vector<uint8_t> bytes;  // written as the profile; empty: no file at all
  const char* says;
};

class BadProfiles : public ::testing::TestWithParam<BadProfile> {};

TEST_P(BadProfiles, AreRefusedSayingWhyAndWriteNothing) {
  TempDir dir;
  const std::string profile = dir / "press.icc";
  if (!GetParam().bytes.empty()) WriteWholeFile(profile, GetParam().bytes.data(), GetParam().bytes.size());
  PressOutput press = Cmyk();
  press.profile = profile;
  const MakerState state = ClassicState(testing::NoisePicture(20, 10, 1));
  const std::string error = ErrorOf([&] { SavePressPicture(state, press, dir / "out.tif"); });
  EXPECT_NE(error.find("The press profile \"" + profile + "\""), std::string::npos) << error;
  EXPECT_NE(error.find(GetParam().says), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(dir / "out.tif"));
  EXPECT_EQ(dir.Count(), GetParam().bytes.empty() ? 0u : 1u);
}

std::vector<uint8_t> Truncated() {
  std::vector<uint8_t> bytes = ReadWholeFile(kDefaultPressProfile);
  bytes.resize(bytes.size() / 3);
  return bytes;
}

std::vector<uint8_t> TableDamaged() {
  // The header and tag table intact, the colour tables overwritten.
  std::vector<uint8_t> bytes = ReadWholeFile(kDefaultPressProfile);
  for (size_t i = 2000; i < bytes.size(); ++i) bytes[i] = 0xFF;
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadProfiles,
    ::testing::Values(BadProfile{"missing", {}, "cannot be read"},
                      BadProfile{"not_icc", std::vector<uint8_t>(500, 'x'), "is damaged"},
                      BadProfile{"truncated", Truncated(), "is damaged"},
                      BadProfile{"tables_damaged", TableDamaged(), "is damaged"},
                      BadProfile{"rgb_display", SrgbProfileBytes(), "is not a CMYK output profile: it is an RGB display profile"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BadPress, ABleedOutsideZeroToTwentyOrANameNotTiffWritesNothing) {
  TempDir dir;
  const MakerState state = ClassicState(testing::NoisePicture(20, 10, 1));
  PressOutput press = Cmyk();
  for (const double mm : {-1.0, 20.5}) {
    press.bleed_mm = mm;
    EXPECT_NE(ErrorOf([&] { SavePressPicture(state, press, dir / "out.tif"); }).find("The bleed must lie"),
              std::string::npos);
    press.cmyk = false;
    EXPECT_NE(ErrorOf([&] { SavePressPicture(state, press, dir / "out.bmp"); }).find("The bleed must lie"),
              std::string::npos);
    press.cmyk = true;
  }
  press.bleed_mm = 0;
  EXPECT_NE(ErrorOf([&] { SavePressPicture(state, press, dir / "out.png"); }).find("written as a TIFF"),
            std::string::npos);
  EXPECT_EQ(dir.Count(), 0u);
}

}  // namespace
}  // namespace lenti
