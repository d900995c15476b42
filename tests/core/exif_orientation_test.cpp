// Orientation tags: the value read from EXIF blocks (both byte orders,
// damaged blocks), each of the eight turns on a small lettered photo, and
// JPEG markers (EXIF and chunked ICC profiles) found by ReadJpegMarkers.
#include "core/exif_orientation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/jpeg.h"
#include "photo_forms.h"

namespace lenti {
namespace {

using forms::Bytes;

// A 3 x 2 photo whose pixels are the letters
//   a b c
//   d e f
// (the letter in the red channel, grey and blue fixed).
Raster Lettered(PixelFormat format) {
  Raster r(3, 2, PixelFormat::pf24bit);
  const char* letters = "abcdef";
  for (int i = 0; i < 6; ++i) r.SetPixelColor(i % 3, i / 3, Color{uint8_t(letters[i]), 0, 0});
  if (format == PixelFormat::pf8bit) {
    Raster grey(3, 2, PixelFormat::pf8bit);
    grey.SetPalette(GreyPalette());
    for (int i = 0; i < 6; ++i) grey.Row(i / 3)[i % 3] = static_cast<uint8_t>(letters[i]);
    return grey;
  }
  return r;
}

std::string Letters(const Raster& r) {
  std::string s;
  for (int y = 0; y < r.Height(); ++y) {
    if (y > 0) s += '/';
    for (int x = 0; x < r.Width(); ++x) s += static_cast<char>(r.PixelColor(x, y).r);
  }
  return s;
}

TEST(ApplyOrientation, EachTagTurnsOrMirrorsAsAViewerShows) {
  // What a viewer shows for the stored "abc/def".
  const char* const kShown[9] = {
      nullptr,
      "abc/def",     // 1 as stored
      "cba/fed",     // 2 mirrored left-right
      "fed/cba",     // 3 turned 180
      "def/abc",     // 4 mirrored top-bottom
      "ad/be/cf",    // 5 transposed
      "da/eb/fc",    // 6 turned 90 clockwise
      "fc/eb/da",    // 7 transversed
      "cf/be/ad",    // 8 turned 90 anticlockwise
  };
  for (PixelFormat format : {PixelFormat::pf24bit, PixelFormat::pf8bit}) {
    for (int tag = 1; tag <= 8; ++tag) {
      SCOPED_TRACE(std::to_string(tag) + (format == PixelFormat::pf8bit ? " grey" : " colour"));
      const Raster shown = ApplyOrientation(Lettered(format), tag);
      EXPECT_EQ(Letters(shown), kShown[tag]);
      EXPECT_EQ(shown.Format(), format);
    }
  }
  // Values outside 1..8 leave the photo as stored.
  for (int tag : {0, 9, -1, 65535}) EXPECT_EQ(Letters(ApplyOrientation(Lettered(PixelFormat::pf24bit), tag)), "abc/def");
}

TEST(ExifOrientation, ReadsTheTagInBothByteOrders) {
  for (uint16_t tag = 1; tag <= 8; ++tag) {
    for (bool big : {false, true}) {
      const Bytes exif = forms::ExifWithOrientation(tag, big);
      EXPECT_EQ(ExifOrientation(exif.data(), exif.size()), tag) << tag << (big ? " MM" : " II");
    }
  }
}

TEST(ExifOrientation, DamagedOrOddBlocksCountAsStored) {
  const Bytes good = forms::ExifWithOrientation(6);
  std::vector<std::pair<std::string, Bytes>> cases;
  Bytes far_directory = good;
  far_directory[10] = 0xF0, far_directory[11] = 0xFF, far_directory[12] = 0xFF, far_directory[13] = 0x7F;
  cases.push_back({"first directory past the end", far_directory});
  Bytes long_value = good;
  long_value[18] = 3, long_value[20] = 0xFF, long_value[21] = 0xFF, long_value[22] = 0xFF;  // 16M shorts
  cases.push_back({"value count past the end", long_value});
  cases.push_back({"truncated", Bytes(good.begin(), good.begin() + 20)});
  cases.push_back({"only the header", Bytes(good.begin(), good.begin() + 6)});
  cases.push_back({"value 9", forms::ExifWithOrientation(9)});
  cases.push_back({"value 0", forms::ExifWithOrientation(0)});
  Bytes bad_order = good;
  bad_order[6] = 'X';
  cases.push_back({"no byte order", bad_order});
  for (const auto& [name, bytes] : cases) {
    EXPECT_EQ(ExifOrientation(bytes.data(), bytes.size()), 1) << name;
  }
  EXPECT_EQ(ExifOrientation(nullptr, 0), 1);
  // An entry count past the end: the entries that are there still count.
  Bytes many_entries = good;
  many_entries[14] = 0xFF, many_entries[15] = 0xFF;
  EXPECT_EQ(ExifOrientation(many_entries.data(), many_entries.size()), 6);
}

Raster Flat(int w, int h) {
  Raster r(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) r.SetPixelColor(x, y, Color{uint8_t(x * 9), uint8_t(y * 9), 99});
  return r;
}

TEST(JpegMarkers, FindTheOrientationAndJoinTheProfileChunks) {
  const Bytes jpeg = EncodeJpeg(Flat(16, 8), 90);
  EXPECT_EQ(ReadJpegMarkers(jpeg.data(), jpeg.size(), "a.jpg").orientation, 1);
  EXPECT_TRUE(ReadJpegMarkers(jpeg.data(), jpeg.size(), "a.jpg").icc_profile.empty());

  Bytes profile(1000);
  for (size_t i = 0; i < profile.size(); ++i) profile[i] = static_cast<uint8_t>(i * 7);
  const Bytes tagged = forms::WithJpegIcc(forms::WithJpegSegment(jpeg, 0xE1, forms::ExifWithOrientation(8)), profile, 300);
  const JpegMarkers markers = ReadJpegMarkers(tagged.data(), tagged.size(), "b.jpg");
  EXPECT_EQ(markers.orientation, 8);
  EXPECT_EQ(markers.icc_profile, profile);

  // A chunk missing: no profile at all.
  Bytes missing = tagged;
  for (size_t i = 0; i + 14 < missing.size(); ++i) {
    if (std::memcmp(&missing[i], "ICC_PROFILE", 11) == 0 && missing[i + 12] == 2) {
      missing[i + 12] = 3;  // chunk 2 claims to be chunk 3: 3 twice, 2 missing
      break;
    }
  }
  EXPECT_TRUE(ReadJpegMarkers(missing.data(), missing.size(), "c.jpg").icc_profile.empty());

  // The photo turned by DecodeJpegPhoto + ViewedPhoto: 16 x 8 stands as 8 x 16.
  const Raster shown = ViewedPhoto(DecodeJpegPhoto(tagged.data(), tagged.size(), "b.jpg"));
  EXPECT_EQ(shown.Width(), 8);
  EXPECT_EQ(shown.Height(), 16);
}

}  // namespace
}  // namespace lenti
