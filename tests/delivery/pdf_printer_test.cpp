// The PDF printer: page sizes in device pixels, a well-formed file, and a
// picture that lands where it was drawn at its true size, checked by
// rendering the file with pdftoppm (poppler-utils) and measuring it.
#include "delivery/pdf_printer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/error.h"
#include "delivery/print.h"
#include "tiny_disk.h"

namespace lenti {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

struct Rendered {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
  Color At(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return Color{rgb[i], rgb[i + 1], rgb[i + 2]};
  }
};

// Renders the first page without anti-aliasing into a binary PPM and reads it.
std::optional<Rendered> RenderPage(const fs::path& pdf, int dpi) {
  const fs::path stem = pdf.parent_path() / "page";
  const std::string command = "pdftoppm -r " + std::to_string(dpi) +
                              " -aa no -aaVector no -singlefile '" + pdf.string() + "' '" +
                              stem.string() + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) return std::nullopt;
  const std::vector<uint8_t> file = testing::ReadBytes(stem.string() + ".ppm");
  Rendered page;
  int maxval = 0, consumed = 0;
  const std::string head(file.begin(), file.begin() + std::min<size_t>(file.size(), 64));
  if (std::sscanf(head.c_str(), "P6 %d %d %d%n", &page.width, &page.height, &maxval, &consumed) != 3 ||
      maxval != 255) {
    return std::nullopt;
  }
  const size_t start = static_cast<size_t>(consumed) + 1;  // one whitespace after maxval
  const size_t size = static_cast<size_t>(page.width) * page.height * 3;
  if (file.size() < start + size) return std::nullopt;
  page.rgb.assign(file.begin() + static_cast<std::ptrdiff_t>(start),
                  file.begin() + static_cast<std::ptrdiff_t>(start + size));
  return page;
}

bool HavePdftoppm() { return std::system("command -v pdftoppm >/dev/null 2>&1") == 0; }

// The bounding box of every pixel of `color` on the page.
Rect BoundsOf(const Rendered& page, Color color) {
  Rect box{page.width, page.height, 0, 0};
  for (int y = 0; y < page.height; ++y) {
    for (int x = 0; x < page.width; ++x) {
      if (!(page.At(x, y) == color)) continue;
      box.left = std::min(box.left, x);
      box.top = std::min(box.top, y);
      box.right = std::max(box.right, x + 1);
      box.bottom = std::max(box.bottom, y + 1);
    }
  }
  return box;
}

TEST(PageSizeByName, KnownPagesAndAClearRefusal) {
  const struct {
    const char* name;
    double width_mm, height_mm;
  } pages[] = {{"A4", 210, 297}, {"A3", 297, 420}, {"Letter", 215.9, 279.4}, {"letter", 215.9, 279.4}};
  for (const auto& p : pages) {
    const PageSize size = PageSizeByName(p.name);
    EXPECT_DOUBLE_EQ(size.width_mm, p.width_mm) << p.name;
    EXPECT_DOUBLE_EQ(size.height_mm, p.height_mm) << p.name;
  }
  try {
    PageSizeByName("B5");
    FAIL() << "an unknown page was accepted";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Unknown page size \"B5\" (A4, A3 or Letter)");
  }
}

TEST(PdfPrinter, PageIsRoundedMillimetresAtTheResolution) {
  const struct {
    const char* page;
    int dpi, width, height;
  } cases[] = {{"A4", 600, 4961, 7016}, {"A4", 300, 2480, 3508}, {"A3", 300, 3508, 4961},
               {"Letter", 300, 2550, 3300}, {"Letter", 600, 5100, 6600}, {"A4", 1, 8, 12}};
  for (const auto& c : cases) {
    PdfPrinter printer("unused.pdf", PageSizeByName(c.page), c.dpi);
    EXPECT_EQ(printer.PageWidth(), c.width) << c.page << " at " << c.dpi;
    EXPECT_EQ(printer.PageHeight(), c.height) << c.page << " at " << c.dpi;
    EXPECT_EQ(printer.DpiX(), c.dpi);
  }
  EXPECT_THROW(PdfPrinter("x.pdf", PageSize{}, 0), Error);
  EXPECT_THROW(PdfPrinter("x.pdf", PageSize{0, 297}, 300), Error);
}

// Every xref entry points at its "N 0 obj" and startxref at the table.
TEST(PdfPrinter, CrossReferenceOffsetsAreExact) {
  TempDir dir;
  const fs::path pdf = dir.path() / "page.pdf";
  PdfPrinter printer(pdf.string(), PageSizeByName("A4"), 300);
  printer.BeginDoc();
  printer.StretchDraw(Rect{10, 10, 50, 30}, Raster(7, 3));
  Raster mono(9, 2, PixelFormat::pf1bit);
  printer.StretchDraw(Rect{100, 10, 190, 30}, mono);
  printer.EndDoc();
  const std::vector<uint8_t> bytes = testing::ReadBytes(pdf);
  const std::string text(bytes.begin(), bytes.end());
  ASSERT_EQ(text.rfind("%PDF-1.4\n", 0), 0u);
  EXPECT_NE(text.find("/MediaBox [0 0 595.2756 841.8898]"), std::string::npos);

  const size_t startxref = text.rfind("startxref\n");
  ASSERT_NE(startxref, std::string::npos);
  const size_t xref = std::stoull(text.substr(startxref + 10));
  ASSERT_EQ(text.compare(xref, 5, "xref\n"), 0);
  int first = 0, count = 0;
  ASSERT_EQ(std::sscanf(text.c_str() + xref, "xref\n%d %d", &first, &count), 2);
  EXPECT_EQ(count, 7);  // free entry, catalog, pages, page, contents, two images
  const size_t entries = text.find('\n', text.find('\n', xref) + 1) + 1;
  for (int n = 1; n < count; ++n) {
    const size_t offset = std::stoull(text.substr(entries + 20 * static_cast<size_t>(n), 10));
    const std::string expected = std::to_string(n) + " 0 obj\n";
    EXPECT_EQ(text.compare(offset, expected.size(), expected), 0) << "object " << n;
  }
  EXPECT_EQ(text.substr(text.size() - 6), "%%EOF\n");
}

// Distinct colours: the picture, and a marker in its top-left corner.
constexpr Color kPicture{0, 96, 200};
constexpr Color kMarker{220, 30, 10};

TEST(PdfPrinter, MergedPictureLandsAtTrueSizeOnA4) {
  if (!HavePdftoppm()) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
  TempDir dir;
  const fs::path pdf = dir.path() / "print.pdf";
  MakerState state;
  Raster picture(1698, 2049);
  picture.FillRect(Rect{0, 0, 1698, 2049}, kPicture);
  picture.FillRect(Rect{0, 0, 40, 40}, kMarker);
  state.merged.MergedBitmap = picture;
  state.merged.Geometry.OutputDpiX = 2975000;  // 297.5 dpi
  PdfPrinter printer(pdf.string(), PageSizeByName("A4"), 600);
  state.printer.PrinterDpi = printer.DpiX();
  PrintMergedBitmap(state, printer);

  const std::optional<Rendered> page = RenderPage(pdf, 600);
  ASSERT_TRUE(page.has_value()) << "pdftoppm could not render the file";
  // (4961 - 3424.54) / 2 = 768.23 ... (7016 + 4132.44) / 2 = 5574.22
  const Rect expected{768, 1442, 4193, 5574};
  Rect found = BoundsOf(*page, kPicture);
  const Rect marker = BoundsOf(*page, kMarker);
  found = Rect{std::min(found.left, marker.left), std::min(found.top, marker.top),
               std::max(found.right, marker.right), std::max(found.bottom, marker.bottom)};
  EXPECT_NEAR(found.left, expected.left, 1);
  EXPECT_NEAR(found.top, expected.top, 1);
  EXPECT_NEAR(found.right, expected.right, 1);
  EXPECT_NEAR(found.bottom, expected.bottom, 1);
  // Upright: the marker sits at the picture's top left.
  EXPECT_NEAR(marker.left, found.left, 1);
  EXPECT_NEAR(marker.top, found.top, 1);
  EXPECT_NEAR(marker.Width(), 40 * 600 / 297.5, 2);

  // True size: the rectangle is 3425 x 4132 printer pixels (3424.5 x 4132.4
  // unrounded), and the rendered picture measures that to one printer pixel:
  // 14.5 x 17.5 cm, less the merge's own truncation to whole output pixels
  // (1698 px are 14.497 cm, 2049 px 17.494 cm).
  EXPECT_NEAR(found.Width(), expected.Width(), 1);
  EXPECT_NEAR(found.Height(), expected.Height(), 1);
  const double printer_px_cm = 2.54 / 600;
  const double output_px_cm = 2.54 / 297.5;
  EXPECT_NEAR(found.Width() * printer_px_cm, 14.5, printer_px_cm + output_px_cm);
  EXPECT_NEAR(found.Height() * printer_px_cm, 17.5, printer_px_cm + output_px_cm);
  std::printf("picture at (%d, %d, %d, %d): %.4f x %.4f cm\n", found.left, found.top, found.right,
              found.bottom, found.Width() * printer_px_cm, found.Height() * printer_px_cm);
}

// A raster with every pixel different, in each format the program prints.
Raster Pattern(PixelFormat format) {
  Raster r(13, 7, format);
  if (format == PixelFormat::pf8bit) {
    std::vector<Color> palette;
    for (int i = 0; i < 256; ++i) {
      palette.push_back(Color{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                              static_cast<uint8_t>(i * 7)});
    }
    r.SetPalette(palette);
  }
  for (int y = 0; y < r.Height(); ++y) {
    for (int x = 0; x < r.Width(); ++x) {
      switch (format) {
        case PixelFormat::pf1bit:
          r.SetPixelColor(x, y, (x * 3 + y) % 2 ? kWhite : kBlack);
          break;
        case PixelFormat::pf8bit:
          r.Row(y)[x] = static_cast<uint8_t>(x * 19 + y * 3);
          break;
        case PixelFormat::pf24bit:
          r.SetPixelColor(x, y, Color{static_cast<uint8_t>(x * 19), static_cast<uint8_t>(y * 36),
                                      static_cast<uint8_t>(255 - x * 9)});
          break;
      }
    }
  }
  return r;
}

struct PlacementCase {
  const char* name;
  PixelFormat format;
  Point at;  // where the raster's top-left corner goes on the page
};

void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }

// Each raster pixel becomes a 5 x 5 block of page pixels. The renderer
// smooths images enlarged less than 4 times and may round an image's edge
// outward by one pixel, so the test reads the centre of every block.
constexpr int kBlock = 5;

class PdfPlacement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PdfPlacement, EveryPixelArrivesWhereItWasDrawn) {
  if (!HavePdftoppm()) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
  const PlacementCase& c = GetParam();
  TempDir dir;
  const fs::path pdf = dir.path() / "page.pdf";
  const Raster raster = Pattern(c.format);
  const Rect dest{c.at.x, c.at.y, c.at.x + raster.Width() * kBlock,
                  c.at.y + raster.Height() * kBlock};
  PdfPrinter printer(pdf.string(), PageSizeByName("A4"), 100);
  printer.BeginDoc();
  printer.StretchDraw(dest, raster);
  printer.EndDoc();

  const std::optional<Rendered> page = RenderPage(pdf, 100);
  ASSERT_TRUE(page.has_value());
  int compared = 0;
  for (int y = 0; y < raster.Height(); ++y) {
    for (int x = 0; x < raster.Width(); ++x) {
      const int px = dest.left + x * kBlock + kBlock / 2;
      const int py = dest.top + y * kBlock + kBlock / 2;
      if (px < 0 || py < 0) continue;  // off the page: clipped
      ASSERT_EQ(page->At(px, py), raster.PixelColor(x, y)) << "pixel " << x << ", " << y;
      ++compared;
    }
  }
  EXPECT_GT(compared, raster.Width() * raster.Height() / 2);
  // The page around the picture stays white.
  EXPECT_EQ(page->At(dest.right + 2, dest.bottom + 2), kWhite);
  EXPECT_EQ(page->At(dest.right + 2, std::max(dest.top, 0) + 2), kWhite);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PdfPlacement,
    ::testing::Values(PlacementCase{"rgb", PixelFormat::pf24bit, {100, 50}},
                      PlacementCase{"palette", PixelFormat::pf8bit, {211, 307}},
                      PlacementCase{"mono", PixelFormat::pf1bit, {40, 600}},
                      PlacementCase{"rgb_off_the_top_left", PixelFormat::pf24bit, {-5, -3}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PdfPrinter, UnwritableTargetRaisesAndLeavesNothing) {
  TempDir dir;
  const fs::path target = dir.path() / "missing" / "page.pdf";
  PdfPrinter printer(target.string(), PageSizeByName("A4"), 300);
  printer.BeginDoc();
  printer.StretchDraw(Rect{0, 0, 10, 10}, Raster(10, 10));
  try {
    printer.EndDoc();
    FAIL() << "the PDF was reported written";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"", 0), 0u) << e.what();
  }
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(PdfPrinter, FullDiskKeepsTheEarlierFile) {
  testing::SmallDisk disk;
  if (!disk.mounted()) GTEST_SKIP() << "mounting a small tmpfs needs root and mount rights";
  const fs::path target = disk.path() / "page.pdf";
  const std::vector<uint8_t> old_file(2000, 0x25);
  testing::WriteBytes(target, old_file);
  PdfPrinter printer(target.string(), PageSizeByName("A4"), 300);
  printer.BeginDoc();
  printer.StretchDraw(Rect{0, 0, 200, 200}, Raster(200, 200));  // 120 KB of samples
  EXPECT_THROW(printer.EndDoc(), Error);
  EXPECT_EQ(testing::ReadBytes(target), old_file);
  EXPECT_EQ(testing::Entries(disk.path()), std::vector<fs::path>{target});
}

}  // namespace
}  // namespace lenti
