// Every input a fuzzer found stays a regression case: each file under
// tests/data/fuzz goes through the same calls as its fuzz target and must
// either decode or raise an Error (under the sanitizer build: with no finding).
// Where a region decode succeeds it must equal the same area of a full decode.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/bmp_reader.h"
#include "core/error.h"
#include "core/file_io.h"
#include "core/jpeg.h"

namespace lenti {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FuzzFindings() {
  const char* root = std::getenv("LENTI_TEST_DATA");
  if (root == nullptr) root = LENTI_TEST_DATA_DIR;
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(fs::path(root) / "fuzz")) files.push_back(entry.path());
  return files;
}

void ExpectRegionMatchesFull(const std::vector<uint8_t>& bytes, const Rect& region) {
  Raster full = DecodeJpeg(bytes.data(), bytes.size(), "full");
  Raster part = DecodeJpegRegion(bytes.data(), bytes.size(), "part", region);
  ASSERT_EQ(part.Width(), std::min(region.right, full.Width()) - region.left);
  for (int y = 0; y < part.Height(); ++y) {
    for (int x = 0; x < part.Width(); ++x) {
      ASSERT_EQ(part.PixelColor(x, y), full.PixelColor(x + region.left, y + region.top)) << x << "," << y;
    }
  }
}

TEST(FuzzFindings, EachFailsCleanlyOrDecodesConsistently) {
  const std::vector<fs::path> files = FuzzFindings();
  ASSERT_FALSE(files.empty()) << "tests/data/fuzz holds the findings";
  for (const fs::path& file : files) {
    if (file.extension() == ".vexaro") continue;  // project files: tests/job replays them
    SCOPED_TRACE(file.filename().string());
    const std::vector<uint8_t> bytes = ReadWholeFile(file.string());
    try {
      if (file.extension() == ".jpg") {
        const JpegInfo info = ReadJpegInfo(bytes.data(), bytes.size(), file.string());
        ExpectRegionMatchesFull(bytes, Rect{info.width / 3, info.height / 4, info.width, info.height});
      } else {
        (void)DecodeBmp(bytes.data(), bytes.size(), file.string());
      }
    } catch (const Error&) {
      // A clean refusal is a correct outcome for a damaged file.
    }
  }
}

}  // namespace
}  // namespace lenti
