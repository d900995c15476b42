// The argument parser: good lists give the command they spell, bad lists a
// usage error that says what is wrong, and nothing ever throws.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/cli_args.h"

namespace lenti::cli {
namespace {

using Args = std::vector<std::string>;

std::vector<std::string> Photos(int count) {
  std::vector<std::string> photos;
  for (int i = 1; i <= count; ++i) {
    std::string name = "p";
    name += std::to_string(i);
    photos.push_back(name + ".jpg");
  }
  return photos;
}

Args MergeWith(Args options, int photos = 2) {
  Args args{"merge", "-o", "out.bmp"};
  args.insert(args.end(), options.begin(), options.end());
  for (const std::string& p : Photos(photos)) args.push_back(p);
  return args;
}

struct Good {
  const char* name;
  Args args;
  std::function<void(const Command&)> check;
};

class ParseGood : public ::testing::TestWithParam<Good> {};

TEST_P(ParseGood, GivesTheCommandTheArgumentsSpell) {
  const ParseResult result = ParseArguments(GetParam().args);
  ASSERT_TRUE(result.command.has_value()) << result.error;
  EXPECT_TRUE(result.error.empty());
  GetParam().check(*result.command);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ParseGood,
    ::testing::Values(
        Good{"defaults", MergeWith({}),
             [](const Command& c) {
               EXPECT_EQ(c.kind, Command::Kind::Merge);
               const MergeArgs& m = c.merge;
               EXPECT_EQ(m.output, "out.bmp");
               EXPECT_EQ(m.mode, Mode::PortraitRows);
               EXPECT_EQ(m.lpi.X10000(), 212500);
               EXPECT_TRUE(m.crops.empty());
               EXPECT_FALSE(m.text.has_value());
               EXPECT_EQ(m.font, Font{});
               EXPECT_EQ(m.text_at, (Point{100, 100}));
               EXPECT_EQ(m.quarter_turns, 0);
               EXPECT_FALSE(m.align_bars);
               EXPECT_FALSE(m.reverse);
               EXPECT_FALSE(m.pdf.has_value());
               EXPECT_EQ(m.photos, Photos(2));
             }},
        Good{"everything",
             MergeWith({"--mode", "landscape", "--lpi=40.5", "--crop", "2=-10,5,300,200", "--text",
                        "Hello 你好", "--font", "DejaVu Sans:24:italic:bold", "--text-at", "-3,7",
                        "--rotate", "5", "--align-bars", "--reverse", "--pdf", "o.pdf", "--page", "Letter",
                        "--printer-dpi", "1200"},
                       3),
             [](const Command& c) {
               const MergeArgs& m = c.merge;
               EXPECT_EQ(m.mode, Mode::LandscapeColumns);
               EXPECT_EQ(m.lpi.X10000(), 405000);
               ASSERT_EQ(m.crops.count(2), 1u);
               EXPECT_EQ(m.crops.at(2), (Rect{-10, 5, 290, 205}));
               EXPECT_EQ(*m.text, "Hello 你好");
               EXPECT_EQ(m.font.family, "DejaVu Sans");
               EXPECT_EQ(m.font.size, 24);
               EXPECT_TRUE(m.font.bold);
               EXPECT_TRUE(m.font.italic);
               EXPECT_EQ(m.text_at, (Point{-3, 7}));
               EXPECT_EQ(m.quarter_turns, 1);
               EXPECT_TRUE(m.align_bars);
               EXPECT_TRUE(m.reverse);
               EXPECT_EQ(*m.pdf, "o.pdf");
               EXPECT_EQ(m.printer, (PrinterProfile{1200, "Letter"}));
               EXPECT_EQ(m.photos.size(), 3u);
             }},
        Good{"sixteen_photos_and_a_crop_each",
             [] {
               Args options;
               for (int k = 1; k <= 16; ++k) {
                 options.push_back("--crop");
                 options.push_back(std::to_string(k) + "=0,0,10," + std::to_string(k));
               }
               return MergeWith(options, 16);
             }(),
             [](const Command& c) {
               EXPECT_EQ(c.merge.photos.size(), 16u);
               EXPECT_EQ(c.merge.crops.size(), 16u);
               EXPECT_EQ(c.merge.crops.at(16), (Rect{0, 0, 10, 16}));
             }},
        Good{"negative_turns_go_clockwise", MergeWith({"--rotate", "-1"}),
             [](const Command& c) { EXPECT_EQ(c.merge.quarter_turns, 3); }},
        Good{"family_with_a_colon_plain_style", MergeWith({"--text", "t", "--font", "A:B:9"}),
             [](const Command& c) {
               EXPECT_EQ(c.merge.font.family, "A:B");
               EXPECT_EQ(c.merge.font.size, 9);
               EXPECT_FALSE(c.merge.font.bold);
             }},
        Good{"photo_after_double_dash", Args{"merge", "-o", "x.bmp", "--", "-odd.jpg", "b.jpg"},
             [](const Command& c) { EXPECT_EQ(c.merge.photos, (Args{"-odd.jpg", "b.jpg"})); }},
        Good{"chart_defaults", Args{"chart", "-o", "c.bmp"},
             [](const Command& c) {
               EXPECT_EQ(c.kind, Command::Kind::Chart);
               EXPECT_EQ(c.chart.output, "c.bmp");
               EXPECT_EQ(c.chart.printer, (PrinterProfile{1200, "A4"}));
               EXPECT_EQ(c.chart.lpi.X10000(), 400000);
             }},
        Good{"chart_options", Args{"chart", "--paper", "8x10", "--dpi", "360", "--lpi", "21.25", "-o", "c.bmp"},
             [](const Command& c) {
               EXPECT_EQ(c.chart.printer, (PrinterProfile{360, "8x10"}));
               EXPECT_EQ(c.chart.lpi.X10000(), 212500);
             }},
        Good{"press_output",
             Args{"merge", "-o", "o.tif", "--cmyk", "swop.icc", "--intent", "relative", "--bleed", "3.5",
                  "--pdf", "o.pdf", "--marks", "--text", "t", "--black-text", "a.jpg", "b.jpg"},
             [](const Command& c) {
               const PressOutput& p = c.merge.press;
               EXPECT_TRUE(p.cmyk);
               EXPECT_EQ(p.profile, "swop.icc");
               EXPECT_EQ(p.intent, PressIntent::RelativeColorimetric);
               EXPECT_EQ(p.bleed_mm, 3.5);
               EXPECT_TRUE(p.marks);
               EXPECT_TRUE(p.black_text);
             }},
        Good{"default_press_profile", Args{"merge", "-o", "o.TIFF", "--cmyk", "default", "a.jpg", "b.jpg"},
             [](const Command& c) {
               EXPECT_TRUE(c.merge.press.cmyk);
               EXPECT_EQ(c.merge.press.profile, "");
               EXPECT_EQ(c.merge.press.intent, PressIntent::Perceptual);
             }},
        Good{"bleed_alone", MergeWith({"--bleed", "20"}),
             [](const Command& c) {
               EXPECT_FALSE(c.merge.press.cmyk);
               EXPECT_EQ(c.merge.press.bleed_mm, 20);
             }},
        Good{"chart_cmyk", Args{"chart", "-o", "c.tif", "--cmyk", "p.icc"},
             [](const Command& c) { EXPECT_EQ(c.chart.cmyk, "p.icc"); }},
        Good{"help_anywhere", Args{"merge", "--help"},
             [](const Command& c) { EXPECT_EQ(c.kind, Command::Kind::Help); }}),
    [](const auto& info) { return std::string(info.param.name); });

struct Bad {
  const char* name;
  Args args;
  const char* error;  // the whole usage error
};

class ParseBad : public ::testing::TestWithParam<Bad> {};

TEST_P(ParseBad, GivesAUsageErrorThatSaysWhatIsWrong) {
  const ParseResult result = ParseArguments(GetParam().args);
  EXPECT_FALSE(result.command.has_value());
  EXPECT_EQ(result.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ParseBad,
    ::testing::Values(
        Bad{"nothing", {}, "missing command: merge, run, chart, view or align"},
        Bad{"unknown_command", {"blend"}, "unknown command \"blend\": use merge, run, chart, view or align"},
        Bad{"one_photo", MergeWith({}, 1), "merge needs 2 to 16 photos, 1 given"},
        Bad{"seventeen_photos", MergeWith({}, 17), "merge needs 2 to 16 photos, 17 given"},
        Bad{"no_output", {"merge", "a.jpg", "b.jpg"}, "merge needs -o OUT.bmp (or --save-job JOB.vexaro)"},
        Bad{"output_twice", MergeWith({"-o", "y.bmp"}), "option -o given twice"},
        Bad{"unknown_option", MergeWith({"--blur"}), "unknown option \"--blur\""},
        Bad{"missing_value", {"merge", "a.jpg", "b.jpg", "-o"}, "option -o needs a value"},
        Bad{"flag_with_value", MergeWith({"--align-bars=yes"}), "option --align-bars takes no value"},
        Bad{"mode", MergeWith({"--mode", "square"}), "--mode must be portrait or landscape, not \"square\""},
        Bad{"lpi_text", MergeWith({"--lpi", "fine"}), "--lpi: The lens pitch \"fine\" is not a number; it must lie between 5 and 300 lpi"},
        Bad{"lpi_exponent", MergeWith({"--lpi", "4e1"}), "--lpi: The lens pitch \"4e1\" is not a number; it must lie between 5 and 300 lpi"},
        Bad{"lpi_zero", MergeWith({"--lpi", "0"}), "--lpi: The lens pitch must lie between 5 and 300 lpi, not 0"},
        Bad{"lpi_negative", MergeWith({"--lpi", "-21.25"}),
            "--lpi: The lens pitch must lie between 5 and 300 lpi, not -21.25"},
        Bad{"lpi_too_fine", MergeWith({"--lpi", "0.00001"}),
            "--lpi: The lens pitch must lie between 5 and 300 lpi, not 0"},
        Bad{"crop_shape", MergeWith({"--crop", "1=0,0,10"}),
            "--crop must be K=L,T,W,H in whole numbers, not \"1=0,0,10\""},
        Bad{"crop_no_slot", MergeWith({"--crop", "0,0,10,10"}),
            "--crop must be K=L,T,W,H in whole numbers, not \"0,0,10,10\""},
        Bad{"crop_letters", MergeWith({"--crop", "1=a,0,10,10"}),
            "--crop must be K=L,T,W,H in whole numbers, not \"1=a,0,10,10\""},
        Bad{"crop_empty", MergeWith({"--crop", "1=0,0,0,10"}),
            "--crop 1=0,0,0,10: the width and height must be at least 1"},
        Bad{"crop_negative", MergeWith({"--crop", "2=5,5,10,-1"}),
            "--crop 2=5,5,10,-1: the width and height must be at least 1"},
        Bad{"crop_slot_17", MergeWith({"--crop", "17=0,0,5,5"}), "--crop 17=0,0,5,5: photos are numbered 1 to 16"},
        Bad{"crop_beyond_photos", MergeWith({"--crop", "3=0,0,5,5"}),
            "--crop for photo 3, but only 2 photos are given"},
        Bad{"crop_twice", MergeWith({"--crop", "1=0,0,5,5", "--crop", "1=1,1,5,5"}),
            "--crop for photo 1 given twice"},
        Bad{"crop_overflow", MergeWith({"--crop", "1=2147483600,0,100,5"}), "--crop 1=2147483600,0,100,5: too large"},
        Bad{"font_without_text", MergeWith({"--font", "Sans:9"}), "--font and --text-at need --text"},
        Bad{"text_at_without_text", MergeWith({"--text-at", "1,2"}), "--font and --text-at need --text"},
        Bad{"empty_text", MergeWith({"--text", ""}), "--text needs a text that is not empty"},
        Bad{"font_shape", MergeWith({"--text", "t", "--font", "Sans"}),
            "--font must be FAMILY:SIZE[:bold][:italic], not \"Sans\""},
        Bad{"font_size", MergeWith({"--text", "t", "--font", "Sans:0"}),
            "--font size must lie between 1 and 1000 points"},
        Bad{"text_at_shape", MergeWith({"--text", "t", "--text-at", "5"}),
            "--text-at must be X,Y in whole numbers, not \"5\""},
        Bad{"rotate_text", MergeWith({"--rotate", "half"}), "--rotate: \"half\" is not a whole number; it must lie between -1000000 and 1000000"},
        Bad{"page_without_pdf", MergeWith({"--page", "A3"}), "--page and --printer-dpi need --pdf"},
        Bad{"page_name", MergeWith({"--pdf", "o.pdf", "--page", "B5"}),
            "--page must be A4, A3 or Letter, not \"B5\""},
        Bad{"page_of_a_chart", MergeWith({"--pdf", "o.pdf", "--page", "8x10"}),
            "--page must be A4, A3 or Letter, not \"8x10\""},
        Bad{"printer_dpi", MergeWith({"--pdf", "o.pdf", "--printer-dpi", "0"}),
            "--printer-dpi must lie between 1 and 9600, not 0"},
        Bad{"chart_paper", {"chart", "-o", "c.bmp", "--paper", "A5"}, "--paper must be A4, A3 or 8x10, not \"A5\""},
        Bad{"cmyk_bmp", MergeWith({"--cmyk", "p.icc"}), "--cmyk writes a TIFF: name the picture -o OUT.tif, not \"out.bmp\""},
        Bad{"cmyk_empty", MergeWith({"--cmyk", ""}), "--cmyk needs a profile file (or default)"},
        Bad{"intent_without_cmyk", MergeWith({"--intent", "relative"}), "--intent needs --cmyk"},
        Bad{"intent_name", MergeWith({"--intent", "saturation"}),
            "--intent must be perceptual or relative, not \"saturation\""},
        Bad{"bleed_negative", MergeWith({"--bleed", "-1"}), "--bleed must lie between 0 and 20 mm, not -1"},
        Bad{"bleed_wide", MergeWith({"--bleed", "20.5"}), "--bleed must lie between 0 and 20 mm, not 20.5"},
        Bad{"bleed_text", MergeWith({"--bleed", "wide"}), "--bleed: \"wide\" is not a number"},
        Bad{"marks_without_pdf", MergeWith({"--marks"}), "--marks needs --pdf"},
        Bad{"black_text_without_text", Args{"merge", "-o", "o.tif", "--cmyk", "default", "--black-text", "a", "b"},
            "--black-text needs --text and --cmyk"},
        Bad{"black_text_turned",
            Args{"merge", "-o", "o.tif", "--cmyk", "default", "--text", "t", "--black-text", "--rotate", "1", "a", "b"},
            "--black-text cannot be used with --rotate"},
        Bad{"chart_cmyk_bmp", {"chart", "-o", "c.bmp", "--cmyk", "default"},
            "--cmyk writes a TIFF: name the chart -o OUT.tif, not \"c.bmp\""},
        Bad{"chart_dpi", {"chart", "-o", "c.bmp", "--dpi", "300dpi"}, "--dpi: \"300dpi\" is not a whole number; it must lie between 1 and 9600"},
        Bad{"chart_dpi_high", {"chart", "-o", "c.bmp", "--dpi", "9601"}, "--dpi must lie between 1 and 9600, not 9601"},
        Bad{"chart_page_of_a_print", {"chart", "-o", "c.bmp", "--paper", "Letter"},
            "--paper must be A4, A3 or 8x10, not \"Letter\""},
        Bad{"chart_lpi_coarse", {"chart", "-o", "c.bmp", "--lpi", "4.9999"},
            "--lpi: The lens pitch must lie between 5 and 300 lpi, not 4.9999"},
        Bad{"chart_lpi_fine", {"chart", "-o", "c.bmp", "--lpi", "300.0001"},
            "--lpi: The lens pitch must lie between 5 and 300 lpi, not 300.0001"},
        Bad{"chart_operand", {"chart", "-o", "c.bmp", "extra"}, "chart takes no file besides -o, not \"extra\""},
        Bad{"chart_no_output", {"chart"}, "chart needs -o OUT.bmp"}),
    [](const auto& info) { return std::string(info.param.name); });

// Arguments made of every troublesome piece never escape as an exception.
TEST(ParseArguments, NeverThrowsOnAnyCombinationOfOddPieces) {
  const Args pieces{"merge", "chart", "-o", "--crop", "1=", "=", "--lpi", "1e999", "nan", "--",
                    "--text", "", "-", "--font", ":", "::bold", "--rotate", "99999999999", "x"};
  uint32_t seed = 12345;
  for (int round = 0; round < 3000; ++round) {
    Args args;
    const int length = static_cast<int>(seed % 9);
    for (int i = 0; i < length; ++i) {
      seed = seed * 1664525u + 1013904223u;
      args.push_back(pieces[(seed >> 8) % pieces.size()]);
    }
    seed = seed * 1664525u + 1013904223u;
    const ParseResult result = ParseArguments(args);
    EXPECT_NE(result.command.has_value(), !result.error.empty()) << round;
  }
}

}  // namespace
}  // namespace lenti::cli
