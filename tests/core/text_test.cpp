// Text drawing: the cell, where ink may appear, brush behaviour, the 1-bit
// threshold, Chinese fallback, clipping at every edge and the pixel size.
#include "core/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "core/error.h"
#include "core/raster.h"

namespace lenti {
namespace {

const char kChinese[] = "打印机DPI设置不对!";

Font FontOf(int size, const std::string& family = "MS Sans Serif") {
  Font font;
  font.family = family;
  font.size = size;
  return font;
}

bool IsInk(const Raster& r, int x, int y, Color background) { return r.PixelColor(x, y) != background; }

struct Box {
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;  // inclusive
  bool Empty() const { return left > right; }
  int Height() const { return bottom - top + 1; }
};

Box InkBox(const Raster& r, Color background) {
  Box box;
  for (int y = 0; y < r.Height(); ++y) {
    for (int x = 0; x < r.Width(); ++x) {
      if (!IsInk(r, x, y, background)) continue;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
    }
  }
  return box;
}

TEST(FontPixelHeight, IsPointsTimes96Over72) {
  const struct {
    int points, pixels;
  } cases[] = {{8, 11}, {9, 12}, {10, 13}, {12, 16}, {48, 64}, {192, 256}, {576, 768}};
  for (const auto& c : cases) EXPECT_EQ(FontPixelHeight(FontOf(c.points)), c.pixels) << c.points;
}

// The capital H of a sans face is about 0.73 em tall: its ink measures the
// size the glyphs are really drawn at.
TEST(FontPixelHeight, GlyphsAreDrawnAtThatSize) {
  for (int points : {48, 96, 192}) {
    const Font font = FontOf(points);
    const Size cell = MeasureText(font, "H");
    Raster r(cell.width + 20, cell.height + 20, PixelFormat::pf24bit);
    DrawText(r, 10, 10, "H", font, nullptr);
    const Box ink = InkBox(r, kWhite);
    ASSERT_FALSE(ink.Empty());
    const double em = FontPixelHeight(font);
    EXPECT_GT(ink.Height(), 0.66 * em) << points;
    EXPECT_LT(ink.Height(), 0.80 * em) << points;
    EXPECT_GT(cell.height, em) << "the cell holds ascent and descent";
    EXPECT_LT(cell.height, 1.5 * em);
  }
}

TEST(ResolveFontFile, AMissingFamilyBecomesTheSystemSansFace) {
  const std::string sans = ResolveFontFile(FontOf(8, "sans-serif"));
  ASSERT_FALSE(sans.empty());
  EXPECT_EQ(ResolveFontFile(FontOf(8, "MS Sans Serif")), sans);
  EXPECT_EQ(ResolveFontFile(FontOf(8, "No Such Family 123")), sans);
  Font bold = FontOf(8, "sans-serif");
  bold.bold = true;
  EXPECT_NE(ResolveFontFile(bold), "");
}

TEST(MeasureText, WidthFollowsTheTextAndHeightTheFont) {
  const Font font = FontOf(12);
  const Size empty = MeasureText(font, "");
  const Size one = MeasureText(font, "W");
  const Size two = MeasureText(font, "WW");
  EXPECT_EQ(empty.width, 0);
  EXPECT_GT(one.width, 0);
  EXPECT_EQ(two.width, 2 * one.width);
  EXPECT_EQ(empty.height, one.height);
  EXPECT_EQ(MeasureText(font, kChinese).height, one.height) << "the primary face sets the height";
  EXPECT_GT(MeasureText(FontOf(24), "W").height, one.height);
  Raster r(1, 1);
  r.SetFont(font);
  EXPECT_EQ(r.TextExtent("WW"), two);
}

// On every format: ink appears, and only inside the cell.
class TextFormats : public ::testing::TestWithParam<PixelFormat> {};

TEST_P(TextFormats, InkStaysInsideTheCell) {
  for (int points : {8, 20}) {
    const Font font = FontOf(points);
    const std::string text = "Hello, World 40.0941";
    const Size cell = MeasureText(font, text);
    Raster r(cell.width + 80, cell.height + 60, GetParam());
    DrawText(r, 30, 20, text, font, nullptr);
    const Box ink = InkBox(r, kWhite);
    ASSERT_FALSE(ink.Empty()) << points;
    EXPECT_GE(ink.left, 30);
    EXPECT_GE(ink.top, 20);
    EXPECT_LT(ink.right, 30 + cell.width);
    EXPECT_LT(ink.bottom, 20 + cell.height);
    EXPECT_GT(ink.right - ink.left, cell.width / 2) << "the whole text is drawn";
  }
}

TEST_P(TextFormats, SolidBrushFillsTheCellClearBrushLeavesTheBackground) {
  // Colours each format stores exactly (the 8-bit raster has a grey palette).
  const PixelFormat f = GetParam();
  const Color paper = f == PixelFormat::pf1bit ? kBlack
                      : f == PixelFormat::pf8bit ? Color{40, 40, 40} : Color{0, 0, 255};
  const Color cell_fill = f == PixelFormat::pf1bit ? kWhite
                          : f == PixelFormat::pf8bit ? Color{200, 200, 200} : kRed;
  Font font = FontOf(14);
  font.color = GetParam() == PixelFormat::pf1bit ? kBlack : kWhite;
  const Size cell = MeasureText(font, "Ax");
  for (bool solid : {true, false}) {
    Raster r(cell.width + 20, cell.height + 20, GetParam());
    r.FillRect(r.ClipRect(), paper);
    r.SetFont(font);
    r.SetBrushColor(cell_fill);
    if (!solid) r.SetBrushStyle(BrushStyle::Clear);
    r.TextOut(10, 10, "Ax");
    int filled = 0;
    for (int y = 0; y < r.Height(); ++y) {
      for (int x = 0; x < r.Width(); ++x) {
        const bool inside = x >= 10 && x < 10 + cell.width && y >= 10 && y < 10 + cell.height;
        const Color c = r.PixelColor(x, y);
        if (!inside) {
          ASSERT_EQ(c, paper) << x << "," << y;
        } else if (c == cell_fill) {
          ++filled;
        }
      }
    }
    if (solid) {
      EXPECT_GT(filled, cell.width * cell.height / 2);
    } else {
      EXPECT_EQ(filled, 0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, TextFormats,
                         ::testing::Values(PixelFormat::pf1bit, PixelFormat::pf8bit,
                                           PixelFormat::pf24bit));

// Black text blended on white is 255 - coverage; 1-bit and 8-bit rasters take
// the text colour exactly where coverage is at least half.
TEST(TextThreshold, NarrowFormatsInkWhereCoverageReachesHalf) {
  const Font font = FontOf(11);
  const std::string text = "Threshold sw@g";
  const Size cell = MeasureText(font, text);
  Raster grey(cell.width + 4, cell.height + 4, PixelFormat::pf24bit);
  Raster mono(cell.width + 4, cell.height + 4, PixelFormat::pf1bit);
  Raster indexed(cell.width + 4, cell.height + 4, PixelFormat::pf8bit);
  for (Raster* r : {&grey, &mono, &indexed}) DrawText(*r, 2, 2, text, font, nullptr);
  int partial = 0;
  for (int y = 0; y < grey.Height(); ++y) {
    for (int x = 0; x < grey.Width(); ++x) {
      const int value = grey.PixelColor(x, y).r;
      partial += value > 0 && value < 255;
      const Color expected = value <= 127 ? kBlack : kWhite;
      ASSERT_EQ(mono.PixelColor(x, y), expected) << x << "," << y << " grey " << value;
      ASSERT_EQ(indexed.PixelColor(x, y), expected) << x << "," << y;
    }
  }
  EXPECT_GT(partial, 0) << "24-bit text is anti-aliased";
}

TEST(TextColour, BlendsBetweenBackgroundAndTextColour) {
  Font font = FontOf(16);
  font.color = kRed;
  const Size cell = MeasureText(font, "Red");
  Raster r(cell.width, cell.height, PixelFormat::pf24bit);
  DrawText(r, 0, 0, "Red", font, nullptr);
  int full = 0;
  for (int y = 0; y < r.Height(); ++y) {
    for (int x = 0; x < r.Width(); ++x) {
      const Color c = r.PixelColor(x, y);
      ASSERT_EQ(c.r, 255);
      ASSERT_EQ(c.g, c.b);
      full += c == kRed;
    }
  }
  EXPECT_GT(full, 0);
}

Raster DrawAlone(const std::string& text, const Font& font) {
  const Size cell = MeasureText(font, text);
  Raster r(std::max(cell.width, 1), cell.height, PixelFormat::pf24bit);
  DrawText(r, 0, 0, text, font, nullptr);
  return r;
}

bool SamePixels(const Raster& a, const Raster& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      if (a.PixelColor(x, y) != b.PixelColor(x, y)) return false;
    }
  }
  return true;
}

// Each Chinese character comes from a fallback face: it has ink, and not the
// missing-glyph box that a character no face has gets.
TEST(TextFallback, ChineseCharactersDrawRealGlyphs) {
  const Font font = FontOf(24);
  const Raster missing = DrawAlone("\xEE\x80\x80", font);  // U+E000, private use
  for (const char* ch : {"打", "印", "机", "设", "置", "不", "对"}) {
    const Raster glyph = DrawAlone(ch, font);
    EXPECT_FALSE(InkBox(glyph, kWhite).Empty()) << ch;
    EXPECT_FALSE(SamePixels(glyph, missing)) << ch;
    EXPECT_GT(glyph.Width(), FontPixelHeight(font) / 2) << ch << " has a full-width advance";
  }
  const Size whole = MeasureText(font, kChinese);
  EXPECT_GT(whole.width, 7 * FontPixelHeight(font) / 2);
}

TEST(TextInput, MalformedUtf8DrawsReplacementsWithoutFailing) {
  const Font font = FontOf(12);
  const std::string bad[] = {"\xFF", "a\xC3", "\xE6\x89", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                             "\xC0\xAF", std::string("a\0b", 3)};
  for (const std::string& text : bad) {
    const Size cell = MeasureText(font, text);
    EXPECT_GT(cell.width, 0);
    Raster r(cell.width + 2, cell.height, PixelFormat::pf24bit);
    DrawText(r, 1, 0, text, font, nullptr);
  }
}

TEST(TextInput, OutlandishSizesAreSafe) {
  Raster r(20, 20, PixelFormat::pf24bit);
  for (int size : {0, -12, 1}) DrawText(r, 2, 2, "Ab", FontOf(size), nullptr);
  try {
    DrawText(r, 2, 2, "Ab", FontOf(100000), nullptr);
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Font size too large");
  }
}

TEST(TextLines, UnderlineAndStrikeoutCrossTheWholeCell) {
  for (bool underline : {true, false}) {
    Font font = FontOf(20);
    font.underline = underline;
    font.strikeout = !underline;
    const Size cell = MeasureText(font, "    ");
    Raster r(cell.width, cell.height, PixelFormat::pf1bit);
    DrawText(r, 0, 0, "    ", font, nullptr);  // spaces: the line is all the ink
    std::vector<int> full_rows;
    for (int y = 0; y < r.Height(); ++y) {
      int ink = 0;
      for (int x = 0; x < r.Width(); ++x) ink += IsInk(r, x, y, kWhite);
      if (ink == r.Width()) {
        full_rows.push_back(y);
      } else {
        EXPECT_EQ(ink, 0) << "row " << y;
      }
    }
    ASSERT_FALSE(full_rows.empty());
    const int ascent_guess = cell.height * 3 / 4;
    if (underline) {
      EXPECT_GE(full_rows.front(), ascent_guess) << "below the baseline";
    } else {
      EXPECT_LT(full_rows.back(), ascent_guess) << "above the baseline";
      EXPECT_GT(full_rows.front(), cell.height / 4);
    }
  }
}

// Text hanging over any edge draws exactly the visible part of the text
// drawn unclipped; text far away or at extreme coordinates draws nothing.
TEST(TextClipping, EdgesShowTheVisiblePartOnly) {
  Font font = FontOf(18);
  const std::string text = "Clip Wg";
  const Size cell = MeasureText(font, text);
  const int margin = std::max(cell.width, cell.height) + 5;  // room for every offset below
  Raster whole(cell.width + 2 * margin, cell.height + 2 * margin, PixelFormat::pf24bit);
  const Color background = kRed;
  DrawText(whole, margin, margin, text, font, &background);
  const int w = cell.width / 2, h = cell.height / 2;
  const struct {
    int x, y;
  } offsets[] = {{-w, 0}, {0, -h}, {-w, -h}, {w, h}, {-cell.width + 3, 2}, {1, -cell.height + 2}};
  for (const auto& o : offsets) {
    Raster part(cell.width, cell.height, PixelFormat::pf24bit);
    DrawText(part, o.x, o.y, text, font, &background);
    for (int y = 0; y < part.Height(); ++y) {
      for (int x = 0; x < part.Width(); ++x) {
        ASSERT_EQ(part.PixelColor(x, y), whole.PixelColor(x - o.x + margin, y - o.y + margin))
            << "offset " << o.x << "," << o.y << " pixel " << x << "," << y;
      }
    }
  }
  const int far[][2] = {{-100000, 0}, {0, 100000}, {INT_MAX - 3, INT_MAX - 3}, {INT_MIN, INT_MIN},
                        {INT_MAX, 0}, {INT_MIN, 5}, {5, INT_MIN}};
  for (const auto& xy : far) {
    for (PixelFormat f : {PixelFormat::pf1bit, PixelFormat::pf24bit}) {
      Raster r(30, 30, f);
      DrawText(r, xy[0], xy[1], text, font, &background);
      EXPECT_TRUE(InkBox(r, kWhite).Empty()) << xy[0] << "," << xy[1];
    }
  }
  Raster empty;
  DrawText(empty, 0, 0, text, font, &background);
}

// The font cache is shared: threads drawing at once get what one thread gets.
TEST(TextThreads, ConcurrentDrawingMatchesSequentialDrawing) {
  const Font font = FontOf(15);
  const Raster expected = DrawAlone("Parallel 并行", font);
  std::vector<Raster> results(4);
  std::vector<std::thread> threads;
  for (auto& result : results) {
    threads.emplace_back([&result, &font] {
      for (int i = 0; i < 5; ++i) result = DrawAlone("Parallel 并行", font);
    });
  }
  for (auto& t : threads) t.join();
  for (const auto& result : results) EXPECT_TRUE(SamePixels(result, expected));
}

}  // namespace
}  // namespace lenti
