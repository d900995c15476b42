// The text colour chosen with "&Colour" reaches what Save writes and what
// Print sends, and a cancelled colour dialog leaves both as they were.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/bmp_reader.h"
#include "delivery/print.h"
#include "delivery/save.h"
#include "fake_frontend.h"
#include "fake_printer.h"
#include "finishing/text_overlay.h"
#include "temp_dir.h"

namespace lenti {
namespace {

using testing::FakeFrontend;
using testing::FakePrinter;
using testing::TempDir;

// What the glyphs left on a white picture: how many pixels are exactly
// `ink`, and how many changed pixels are not a blend of white and `ink`.
struct InkCount {
  int exact = 0;
  int foreign = 0;
};

// A blend of white and `ink` at one coverage: each channel lies between
// the ink's and 255, all at the same fraction of the way (within rounding).
bool BlendOfWhiteAnd(Color pixel, Color ink) {
  const int channels[3][2] = {{pixel.r, ink.r}, {pixel.g, ink.g}, {pixel.b, ink.b}};
  double coverage = -1;
  for (const auto& [got, full] : channels) {
    if (full == 255) {
      if (got != 255) return false;
      continue;
    }
    if (got < full || got > 255) return false;
    const double c = (255.0 - got) / (255.0 - full);
    if (coverage >= 0 && std::abs(c - coverage) > 0.02) return false;
    coverage = c;
  }
  return true;
}

InkCount CountInk(const Raster& picture, Color ink) {
  InkCount count;
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const Color pixel = picture.PixelColor(x, y);
      if (pixel == kWhite) continue;
      if (pixel == ink) ++count.exact;
      if (!BlendOfWhiteAnd(pixel, ink)) ++count.foreign;
    }
  }
  return count;
}

// A white merged picture at 297.5 dpi with "Hello" applied, the font object
// shared between the dialog and the pending text.
struct Scene {
  MakerState state;
  FakeFrontend frontend;
  std::shared_ptr<Font> dialog_font = std::make_shared<Font>(Font{"DejaVu Sans", 24, true});
  Scene() {
    state.merged.MergedBitmap = Raster(300, 120);
    state.merged.Geometry.OutputDpiX = 2975000;
    frontend.view_image = {300, 120};
    state.overlay.EditText = "Hello";
    state.overlay.TextX = 20;
    state.overlay.TextY = 20;
  }
};

enum class Delivery { Save, Print };

Raster Deliver(Scene& s, Delivery how) {
  if (how == Delivery::Print) {
    FakePrinter printer;
    printer.SelectDefaultPrinter();
    EXPECT_TRUE(PrintMergedBitmap(s.state, printer));
    return printer.drawn.size() == 1 ? printer.drawn.front() : Raster();
  }
  TempDir dir;
  const std::string path = (dir.path() / "merged.bmp").string();
  s.frontend.save_answers.push_back(path);
  SaveMerged(s.state, s.frontend);
  return LoadBmpFile(path);
}

struct ColourCase {
  const char* name;
  Delivery how;
  bool before_apply;  // the colour chosen before Apply, else after it
};

class TextColour : public ::testing::TestWithParam<ColourCase> {};

TEST_P(TextColour, TheChosenColourIsTheColourDelivered) {
  const ColourCase& c = GetParam();
  const Color kInk{200, 30, 90};
  Scene s;
  s.frontend.colour_answers.push_back(kInk);
  if (c.before_apply) ChooseTextColour(s.state, s.frontend, s.dialog_font);
  s.frontend.Show(ApplyText(s.state, s.dialog_font));
  if (!c.before_apply) ChooseTextColour(s.state, s.frontend, s.dialog_font);

  const InkCount ink = CountInk(Deliver(s, c.how), kInk);
  EXPECT_GT(ink.exact, 20) << "the glyphs' solid pixels carry the chosen colour";
  EXPECT_EQ(ink.foreign, 0) << "every glyph pixel is the chosen colour over white";
  if (c.before_apply) {
    // The view after Apply shows the same colour.
    EXPECT_GT(CountInk(s.frontend.view.Graphic(), kInk).exact, 20);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Deliveries, TextColour,
    ::testing::Values(ColourCase{"SaveChosenBeforeApply", Delivery::Save, true},
                      ColourCase{"SaveChosenAfterApply", Delivery::Save, false},
                      ColourCase{"PrintChosenBeforeApply", Delivery::Print, true},
                      ColourCase{"PrintChosenAfterApply", Delivery::Print, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A cancelled colour dialog: Save and Print still draw the text black.
TEST(TextColour, ACancelledDialogKeepsTheColourDelivered) {
  for (const Delivery how : {Delivery::Save, Delivery::Print}) {
    Scene s;
    s.frontend.Show(ApplyText(s.state, s.dialog_font));
    ChooseTextColour(s.state, s.frontend, s.dialog_font);  // no answer: cancelled
    const InkCount ink = CountInk(Deliver(s, how), kBlack);
    EXPECT_GT(ink.exact, 20);
    EXPECT_EQ(ink.foreign, 0);
  }
}

}  // namespace
}  // namespace lenti
