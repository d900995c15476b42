// Colour profiles to sRGB: a Display P3 colour against its sRGB value
// worked out from the two sets of primaries, grey profiles on the palette,
// and profiles that must leave the pixels alone (none, damaged, the wrong
// colour space).
#include "core/icc_to_srgb.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/png_reader.h"
#include "photo_forms.h"

namespace lenti {
namespace {

using forms::Bytes;

Raster OneColour(Color c) {
  Raster r(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) r.SetPixelColor(x, y, c);
  return r;
}

void ExpectNear(Color got, Color want, int tolerance) {
  EXPECT_LE(std::abs(got.r - want.r), tolerance) << int(got.r) << " vs " << int(want.r);
  EXPECT_LE(std::abs(got.g - want.g), tolerance) << int(got.g) << " vs " << int(want.g);
  EXPECT_LE(std::abs(got.b - want.b), tolerance) << int(got.b) << " vs " << int(want.b);
}

TEST(IccToSrgb, DisplayP3ColoursBecomeTheirSrgbValues) {
  // Linearised, through XYZ (D65) from the P3 primaries to the sRGB ones and
  // encoded again: P3 (200, 80, 40) is sRGB (216.4, 68.9, 17.1); P3 (40, 160,
  // 90) lies outside sRGB and clips to (0, 162.8, 81.9); neutral grey stays.
  struct Known {
    Color p3;
    Color srgb;
  };
  const Bytes p3 = forms::DisplayP3Profile();
  for (const Known& k : {Known{{200, 80, 40}, {216, 69, 17}}, Known{{40, 160, 90}, {0, 163, 82}},
                         Known{{128, 128, 128}, {128, 128, 128}}}) {
    Raster photo = OneColour(k.p3);
    ASSERT_TRUE(ConvertToSrgb(photo, p3));
    ExpectNear(photo.PixelColor(0, 0), k.srgb, 2);
    EXPECT_EQ(photo.PixelColor(2, 1), photo.PixelColor(0, 0));
  }
}

TEST(IccToSrgb, AGreyProfileConvertsThePaletteOnly) {
  Raster grey(2, 1, PixelFormat::pf8bit);
  grey.SetPalette(GreyPalette());
  grey.Row(0)[0] = 0, grey.Row(0)[1] = 128;
  // Gamma 1.0 grey: 128 (linear half) is sRGB 188.
  ASSERT_TRUE(ConvertToSrgb(grey, forms::GreyProfile(1.0)));
  EXPECT_EQ(grey.Format(), PixelFormat::pf8bit);
  EXPECT_EQ(grey.Row(0)[1], 128);  // the index is kept
  ExpectNear(grey.PixelColor(1, 0), Color{188, 188, 188}, 2);
  ExpectNear(grey.PixelColor(0, 0), kBlack, 0);
}

TEST(IccToSrgb, UnusableProfilesLeaveThePixelsAsSrgb) {
  const Bytes p3 = forms::DisplayP3Profile();
  std::vector<std::pair<std::string, Bytes>> cases;
  cases.push_back({"none", {}});
  cases.push_back({"truncated", Bytes(p3.begin(), p3.begin() + p3.size() / 2)});
  Bytes garbage = p3;
  for (size_t i = 128; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 31);
  cases.push_back({"tag table garbage", garbage});
  Bytes huge_tags = p3;
  huge_tags[128] = 0x7F, huge_tags[129] = 0xFF;  // tag count
  cases.push_back({"tag count past the end", huge_tags});
  Bytes not_icc = p3;
  not_icc[36] = 'x';  // "acsp" signature
  cases.push_back({"no signature", not_icc});
  cases.push_back({"grey profile on colour", forms::GreyProfile(2.2)});
  cases.push_back({"header only", Bytes(p3.begin(), p3.begin() + 132)});
  for (const auto& [name, profile] : cases) {
    SCOPED_TRACE(name);
    Raster photo = OneColour(Color{200, 80, 40});
    const Raster before = photo;
    EXPECT_FALSE(ConvertToSrgb(photo, profile));
    EXPECT_EQ(photo.PixelColor(1, 1), before.PixelColor(1, 1));
  }
}

TEST(IccToSrgb, APngWithAP3ProfileIsShownInSrgb) {
  forms::PngForm form = forms::MakePng(2, 2, PNG_COLOR_TYPE_RGB, 8, false, [](int, int, int c) -> unsigned {
    return c == 0 ? 200 : c == 1 ? 80 : 40;
  });
  form.icc = forms::DisplayP3Profile();
  const Bytes file = forms::EncodePng(form);
  ExpectNear(ViewedPhoto(DecodePng(file.data(), file.size(), "p3.png")).PixelColor(1, 1), Color{216, 69, 17}, 2);
}

}  // namespace
}  // namespace lenti
