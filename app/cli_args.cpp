#include "app/cli_args.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <set>

#include "core/error.h"
#include "core/lens_pitch.h"
#include "core/numerics.h"
#include "core/printer_profile.h"
#include "delivery/picture_file.h"
#include "interlace/lens_input.h"
#include "interlace/lens_view.h"

namespace lenti::cli {

namespace {

constexpr int kMaxFontSize = 1000;

struct UsageError {
  std::string text;
};

[[noreturn]] void Fail(std::string text) { throw UsageError{std::move(text)}; }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// A whole decimal number, optional sign, nothing else.
std::optional<int64_t> ParseInt(const std::string& text) {
  int64_t value = 0;
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  if (begin != end && *begin == '+') ++begin;
  const auto [ptr, ec] = std::from_chars(begin, end, value);
  if (ec != std::errc() || ptr != end || begin == end) return std::nullopt;
  return value;
}

int32_t IntInRange(const std::string& option, const std::string& text, int64_t low, int64_t high) {
  const std::optional<int64_t> value = ParseInt(text);
  if (!value) {
    Fail(option + ": " + Quoted(text) + " is not a whole number; it must lie between " + std::to_string(low) +
         " and " + std::to_string(high));
  }
  if (*value < low || *value > high) {
    Fail(option + " must lie between " + std::to_string(low) + " and " + std::to_string(high) +
         ", not " + text);
  }
  return static_cast<int32_t>(*value);
}

// A Lens group setting read as the window reads it; its message names the option.
template <typename Parse>
auto LensOption(const std::string& option, const std::string& text, Parse parse) {
  try {
    return parse(text);
  } catch (const Error& e) {
    Fail(option + ": " + e.what());
  }
}

// --lpi of every command: the pitch as the Lens group takes it.
LensPitch PitchOption(const std::string& text) {
  return LensOption("--lpi", text, [](const std::string& t) { return ParseLensPitch(t); });
}

// A page of `use`'s list; the message lists them ("--page must be A4, A3 or Letter").
std::string PageOption(const std::string& option, const std::string& text, PageUse use) {
  if (!IsPageName(text, use)) Fail(option + " must be " + PageNamesText(use) + ", not " + Quoted(text));
  return text;
}

int32_t PrinterDpiOption(const std::string& option, const std::string& text) {
  return IntInRange(option, text, kMinPrinterDpi, kMaxPrinterDpi);
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

// K=L,T,W,H -> slot K, rectangle (L, T, L + W, T + H).
std::pair<int, Rect> ParseCrop(const std::string& text) {
  const std::string shape = "--crop must be K=L,T,W,H in whole numbers, not " + Quoted(text);
  const size_t equals = text.find('=');
  if (equals == std::string::npos) Fail(shape);
  const std::optional<int64_t> slot = ParseInt(text.substr(0, equals));
  const std::vector<std::string> fields = Split(text.substr(equals + 1), ',');
  if (!slot || fields.size() != 4) Fail(shape);
  int64_t v[4];
  for (int i = 0; i < 4; ++i) {
    const std::optional<int64_t> value = ParseInt(fields[i]);
    if (!value || *value < INT32_MIN || *value > INT32_MAX) Fail(shape);
    v[i] = *value;
  }
  if (*slot < 1 || *slot > kMaxPhotos) Fail("--crop " + text + ": photos are numbered 1 to 16");
  if (v[2] < 1 || v[3] < 1) Fail("--crop " + text + ": the width and height must be at least 1");
  if (v[0] + v[2] > INT32_MAX || v[1] + v[3] > INT32_MAX) Fail("--crop " + text + ": too large");
  const Rect rect{static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1]),
                  static_cast<int32_t>(v[0] + v[2]), static_cast<int32_t>(v[1] + v[3])};
  return {static_cast<int>(*slot), rect};
}

// FAMILY:SIZE[:bold][:italic]; the family may itself hold ':'.
Font ParseFont(const std::string& text) {
  const std::string shape = "--font must be FAMILY:SIZE[:bold][:italic], not " + Quoted(text);
  std::vector<std::string> parts = Split(text, ':');
  Font font;
  while (parts.size() > 2 && (parts.back() == "bold" || parts.back() == "italic")) {
    (parts.back() == "bold" ? font.bold : font.italic) = true;
    parts.pop_back();
  }
  if (parts.size() < 2) Fail(shape);
  const std::optional<int64_t> size = ParseInt(parts.back());
  if (!size) Fail(shape);
  if (*size < 1 || *size > kMaxFontSize) Fail("--font size must lie between 1 and 1000 points");
  parts.pop_back();
  std::string family = parts[0];
  for (size_t i = 1; i < parts.size(); ++i) family += ":" + parts[i];
  if (family.empty()) Fail(shape);
  font.family = family;
  font.size = static_cast<int>(*size);
  return font;
}

Point ParsePoint(const std::string& option, const std::string& text) {
  const std::vector<std::string> fields = Split(text, ',');
  if (fields.size() != 2) Fail(option + " must be X,Y in whole numbers, not " + Quoted(text));
  return Point{IntInRange(option, fields[0], INT32_MIN, INT32_MAX),
               IntInRange(option, fields[1], INT32_MIN, INT32_MAX)};
}

// X,Y in the reference's pixels, fractions allowed.
AlignPoint ParseSubject(const std::string& option, const std::string& text) {
  const std::vector<std::string> fields = Split(text, ',');
  const std::string shape = option + " must be X,Y in the reference photo's pixels, not " + Quoted(text);
  if (fields.size() != 2) Fail(shape);
  AlignPoint point;
  double* at[2] = {&point.x, &point.y};
  for (int i = 0; i < 2; ++i) {
    try {
      *at[i] = static_cast<double>(StrToFloat(fields[static_cast<size_t>(i)]));
    } catch (const Error&) {
      Fail(shape);
    }
    if (!std::isfinite(*at[i])) Fail(shape);
  }
  return point;
}

AlignModel ParseAlignModel(const std::string& option, const std::string& text) {
  if (text == "translation") return AlignModel::Translation;
  if (text == "similarity") return AlignModel::Similarity;
  Fail(option + " must be translation or similarity, not " + Quoted(text));
}

// --align auto | subject:X,Y
std::optional<AlignPoint> ParseAlignHow(const std::string& text) {
  if (text == "auto") return std::nullopt;
  if (text.rfind("subject:", 0) == 0) return ParseSubject("--align subject", text.substr(8));
  Fail("--align must be auto or subject:X,Y, not " + Quoted(text));
}

struct Option {
  std::string name;
  bool takes_value;
  bool repeatable;
  std::function<void(const std::string&)> apply;
};

// Walks the arguments: options by the table, the rest as operands.
void ParseOptions(const std::vector<std::string>& args, size_t first, const std::vector<Option>& table,
                  std::vector<std::string>& operands) {
  std::set<std::string> seen;
  bool options_ended = false;
  for (size_t i = first; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended || arg.size() < 2 || arg[0] != '-') {
      operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.rfind("--", 0) == 0 ? arg.substr(0, equals) : arg;
    const Option* option = nullptr;
    for (const Option& candidate : table) {
      if (candidate.name == name) option = &candidate;
    }
    if (option == nullptr) Fail("unknown option " + Quoted(name));
    if (!option->repeatable && !seen.insert(name).second) Fail("option " + name + " given twice");
    if (!option->takes_value) {
      if (equals != std::string::npos && name != arg) Fail("option " + name + " takes no value");
      option->apply("");
      continue;
    }
    if (equals != std::string::npos && name != arg) {
      option->apply(arg.substr(equals + 1));
    } else if (i + 1 < args.size()) {
      option->apply(args[++i]);
    } else {
      Fail("option " + name + " needs a value");
    }
  }
}

// --cmyk PROFILE: "default" names the default press profile.
std::string CmykProfileOption(const std::string& text) {
  if (text.empty()) Fail("--cmyk needs a profile file (or default)");
  return text == "default" ? "" : text;
}

double BleedOption(const std::string& text) {
  Extended mm = 0;
  try {
    mm = StrToFloat(text);
  } catch (const Error&) {
    Fail("--bleed: " + Quoted(text) + " is not a number");
  }
  if (!(mm >= 0 && mm <= 20)) Fail("--bleed must lie between 0 and 20 mm, not " + text);
  return static_cast<double>(mm);
}

PressIntent IntentOption(const std::string& text) {
  if (text == "perceptual") return PressIntent::Perceptual;
  if (text == "relative") return PressIntent::RelativeColorimetric;
  Fail("--intent must be perceptual or relative, not " + Quoted(text));
}

Mode ParseMode(const std::string& text) {
  if (text == "portrait") return Mode::PortraitRows;
  if (text == "landscape") return Mode::LandscapeColumns;
  Fail("--mode must be portrait or landscape, not " + Quoted(text));
}

MergeArgs ParseMerge(const std::vector<std::string>& args) {
  MergeArgs m;
  bool font_given = false, text_at_given = false, page_given = false, dpi_given = false, intent_given = false;
  std::vector<Option> table{
      {"-o", true, false, [&](const std::string& v) { m.output = v; }},
      {"--output", true, false, [&](const std::string& v) { m.output = v; }},
      {"--mode", true, false, [&](const std::string& v) { m.mode = ParseMode(v); }},
      {"--lpi", true, false, [&](const std::string& v) { m.lpi = PitchOption(v); }},
      {"--dpi", true, false,
       [&](const std::string& v) {
         m.output_dpi = LensOption("--dpi", v, [](const std::string& t) { return ParseOutputDpi(t); });
       }},
      {"--phase", true, false,
       [&](const std::string& v) {
         m.phase_x10000 = LensOption("--phase", v, [](const std::string& t) { return ParsePhase(t); });
       }},
      {"--size", true, false,
       [&](const std::string& v) {
         const PictureSizeCm size =
             LensOption("--size", v, [](const std::string& t) { return ParsePictureSize(t); });
         m.width_cm_x100 = size.width;
         m.height_cm_x100 = size.height;
       }},
      {"--sampling", true, false,
       [&](const std::string& v) {
         m.sampling = LensOption("--sampling", v, [](const std::string& t) { return ParseSampling(t); });
       }},
      {"--crop", true, true,
       [&](const std::string& v) {
         const auto [slot, rect] = ParseCrop(v);
         if (!m.crops.emplace(slot, rect).second) {
           Fail("--crop for photo " + std::to_string(slot) + " given twice");
         }
       }},
      {"--text", true, false,
       [&](const std::string& v) {
         if (v.empty()) Fail("--text needs a text that is not empty");
         m.text = v;
       }},
      {"--font", true, false,
       [&](const std::string& v) {
         m.font = ParseFont(v);
         font_given = true;
       }},
      {"--text-at", true, false,
       [&](const std::string& v) {
         m.text_at = ParsePoint("--text-at", v);
         text_at_given = true;
       }},
      {"--rotate", true, false,
       [&](const std::string& v) {
         const int32_t turns = IntInRange("--rotate", v, -1000000, 1000000);
         m.quarter_turns = ((turns % 4) + 4) % 4;
       }},
      {"--align-bars", false, false, [&](const std::string&) { m.align_bars = true; }},
      {"--reverse", false, false, [&](const std::string&) { m.reverse = true; }},
      {"--pdf", true, false, [&](const std::string& v) { m.pdf = v; }},
      {"--save-job", true, false,
       [&](const std::string& v) {
         if (v.empty()) Fail("--save-job needs a file name");
         m.save_job = v;
       }},
      {"--page", true, false,
       [&](const std::string& v) {
         m.printer.page = PageOption("--page", v, PageUse::Print);
         page_given = true;
       }},
      {"--printer-dpi", true, false,
       [&](const std::string& v) {
         m.printer.dpi = PrinterDpiOption("--printer-dpi", v);
         dpi_given = true;
       }},
      {"--cmyk", true, false,
       [&](const std::string& v) {
         m.press.cmyk = true;
         m.press.profile = CmykProfileOption(v);
       }},
      {"--intent", true, false,
       [&](const std::string& v) {
         m.press.intent = IntentOption(v);
         intent_given = true;
       }},
      {"--bleed", true, false, [&](const std::string& v) { m.press.bleed_mm = BleedOption(v); }},
      {"--marks", false, false, [&](const std::string&) { m.press.marks = true; }},
      {"--black-text", false, false, [&](const std::string&) { m.press.black_text = true; }},
  };
  AlignChoice align;
  bool align_given = false;
  bool align_model_given = false;
  table.push_back({"--align", true, false, [&](const std::string& v) {
                     align.subject = ParseAlignHow(v);
                     align_given = true;
                   }});
  table.push_back({"--align-model", true, false, [&](const std::string& v) {
                     align.model = ParseAlignModel("--align-model", v);
                     align_model_given = true;
                   }});
  ParseOptions(args, 1, table, m.photos);
  if (align_model_given && !align_given) Fail("--align-model needs --align");
  if (align_given && align.subject && align.model == AlignModel::Similarity) {
    Fail("--align subject moves each frame by its subject's shift; --align-model similarity needs --align auto");
  }
  if (align_given) m.align = align;
  if (m.output.empty() && m.save_job.empty()) Fail("merge needs -o OUT.bmp (or --save-job JOB.vexaro)");
  if (m.output.empty() && m.pdf) Fail("--pdf needs -o OUT.bmp");
  if ((font_given || text_at_given) && !m.text) Fail("--font and --text-at need --text");
  if ((page_given || dpi_given) && !m.pdf) Fail("--page and --printer-dpi need --pdf");
  if (m.pdf && m.pdf->empty()) Fail("--pdf needs a file name");
  if (m.press.marks && !m.pdf) Fail("--marks needs --pdf");
  if (intent_given && !m.press.cmyk) Fail("--intent needs --cmyk");
  if (m.press.cmyk && !m.output.empty() && PictureFileTypeOf(m.output) != PictureFileType::Tiff) {
    Fail("--cmyk writes a TIFF: name the picture -o OUT.tif, not " + Quoted(m.output));
  }
  if (m.press.black_text && (!m.text || !m.press.cmyk)) Fail("--black-text needs --text and --cmyk");
  // The text stays pending until the file is written, so it cannot be turned with the picture.
  if (m.press.black_text && m.quarter_turns != 0) Fail("--black-text cannot be used with --rotate");
  const auto count = static_cast<int>(m.photos.size());
  if (count < kMinPhotos || count > kMaxPhotos) {
    Fail("merge needs 2 to 16 photos, " + std::to_string(count) + " given");
  }
  for (const auto& [slot, rect] : m.crops) {
    if (slot > count) {
      Fail("--crop for photo " + std::to_string(slot) + ", but only " + std::to_string(count) +
           " photos are given");
    }
  }
  return m;
}

AlignArgs ParseAlign(const std::vector<std::string>& args) {
  AlignArgs a;
  const std::vector<Option> table{
      {"--reference", true, false,
       [&](const std::string& v) { a.choice.reference = IntInRange("--reference", v, 1, kMaxPhotos); }},
      {"--subject", true, false, [&](const std::string& v) { a.choice.subject = ParseSubject("--subject", v); }},
      {"--model", true, false, [&](const std::string& v) { a.choice.model = ParseAlignModel("--model", v); }},
  };
  ParseOptions(args, 1, table, a.photos);
  const auto count = static_cast<int>(a.photos.size());
  if (count < kMinPhotos || count > kMaxPhotos) {
    Fail("align needs 2 to 16 photos, " + std::to_string(count) + " given");
  }
  if (a.choice.reference > count) {
    Fail("--reference " + std::to_string(a.choice.reference) + ", but only " + std::to_string(count) +
         " photos are given");
  }
  if (a.choice.subject && a.choice.model == AlignModel::Similarity) {
    Fail("--subject finds the subject's shift; --model similarity aligns without --subject");
  }
  return a;
}

RunArgs ParseRun(const std::vector<std::string>& args) {
  RunArgs r;
  const std::vector<Option> table{
      {"-o", true, false, [&](const std::string& v) { r.output = v; }},
      {"--output", true, false, [&](const std::string& v) { r.output = v; }},
  };
  ParseOptions(args, 1, table, r.jobs);
  if (r.jobs.empty()) Fail("run needs a job file (JOB.vexaro)");
  if (!r.output.empty() && r.jobs.size() > 1) Fail("-o takes one job; several jobs go each to its own output");
  return r;
}

ChartArgs ParseChart(const std::vector<std::string>& args) {
  ChartArgs c;
  const std::vector<Option> table{
      {"-o", true, false, [&](const std::string& v) { c.output = v; }},
      {"--output", true, false, [&](const std::string& v) { c.output = v; }},
      {"--paper", true, false,
       [&](const std::string& v) { c.printer.page = PageOption("--paper", v, PageUse::Chart); }},
      {"--dpi", true, false, [&](const std::string& v) { c.printer.dpi = PrinterDpiOption("--dpi", v); }},
      {"--cmyk", true, false, [&](const std::string& v) { c.cmyk = CmykProfileOption(v); }},
      {"--lpi", true, false, [&](const std::string& v) { c.lpi = PitchOption(v); }},
  };
  std::vector<std::string> operands;
  ParseOptions(args, 1, table, operands);
  if (!operands.empty()) Fail("chart takes no file besides -o, not " + Quoted(operands[0]));
  if (c.output.empty()) Fail("chart needs -o OUT.bmp");
  if (c.cmyk && PictureFileTypeOf(c.output) != PictureFileType::Tiff) {
    Fail("--cmyk writes a TIFF: name the chart -o OUT.tif, not " + Quoted(c.output));
  }
  return c;
}

// A decimal number from `low` to `high` (`high` itself only when
// `high_included`).
double NumberInRange(const std::string& option, const std::string& text, double low, double high,
                     bool high_included, const std::string& what) {
  Extended value = 0;
  try {
    value = StrToFloat(text);
  } catch (const Error&) {
    Fail(option + ": " + Quoted(text) + " is not a number; it must be " + what);
  }
  if (!std::isfinite(value) || value < low || value > high || (!high_included && value == high)) {
    Fail(option + " must be " + what + ", not " + text);
  }
  return static_cast<double>(value);
}

ViewArgs ParseView(const std::vector<std::string>& args) {
  ViewArgs v;
  bool lpi_given = false;
  const auto positive = [](const std::string& option, const std::string& text, double high,
                           const std::string& what) {
    const double value = NumberInRange(option, text, 0, high, true, what);
    if (value <= 0) Fail(option + " must be " + what + ", not " + text);
    return value;
  };
  const std::vector<Option> table{
      {"-o", true, false, [&](const std::string& x) { v.output = x; }},
      {"--output", true, false, [&](const std::string& x) { v.output = x; }},
      {"--mode", true, false, [&](const std::string& x) { v.mode = ParseMode(x); }},
      {"--lpi", true, false,
       [&](const std::string& x) {
         v.lpi = PitchOption(x);
         lpi_given = true;
       }},
      {"--dpi", true, false,
       [&](const std::string& x) { v.dpi = positive("--dpi", x, kMaxViewDpi, "more than 0 and at most 100000 dpi"); }},
      {"--phase", true, false,
       [&](const std::string& x) {
         v.phase = NumberInRange("--phase", x, -kMaxViewPhase, kMaxViewPhase, true,
                                 "from -0.5 to 0.5 of a lens");
       }},
      {"--angle", true, false,
       [&](const std::string& x) { v.angle = NumberInRange("--angle", x, 0, 1, false, "from 0 up to (not including) 1"); }},
      {"--frames", true, false, [&](const std::string& x) { v.frames = IntInRange("--frames", x, 1, 99); }},
  };
  std::vector<std::string> operands;
  ParseOptions(args, 1, table, operands);
  if (operands.size() != 1) {
    Fail("view needs one merged picture, " + std::to_string(operands.size()) + " given");
  }
  v.picture = operands[0];
  if (!lpi_given) Fail("view needs --lpi, the pitch of the lens sheet");
  if (v.angle.has_value() == (v.frames > 0)) Fail("view needs either --angle A or --frames N");
  if (v.output.empty()) Fail(v.frames > 0 ? "view needs -o DIR/" : "view needs -o VIEW.bmp");
  if (v.dpi && *v.dpi / v.lpi.Lpi() < 1) {
    Fail("a lens of --lpi " + v.lpi.Text() + " over --dpi " + FloatToStr(*v.dpi) +
         " is narrower than one pixel");
  }
  return v;
}

}  // namespace

namespace {

constexpr const char* kMergeUsage =
    "usage: vexaro merge -o OUT.bmp [--mode portrait|landscape] [--lpi 21.25] [--crop K=L,T,W,H]...\n"
    "                    [--dpi D] [--phase F] [--size WxH] [--sampling nearest|area]\n"
    "                    [--text TEXT [--font \"FAMILY:SIZE[:bold][:italic]\"] [--text-at X,Y]]\n"
    "                    [--rotate N] [--align-bars] [--reverse] [--pdf OUT.pdf [--page A4|A3|Letter] "
    "[--printer-dpi N] [--marks]]\n"
    "                    [--cmyk PROFILE.icc|default [--intent perceptual|relative] [--black-text]] [--bleed MM]\n"
    "                    [--align auto|subject:X,Y [--align-model translation|similarity]]\n"
    "                    PHOTO1 PHOTO2 [... PHOTO16]\n";
constexpr const char* kAlignUsage =
    "usage: vexaro align [--reference K] [--subject X,Y] [--model translation|similarity]\n"
    "                    PHOTO1 PHOTO2 [... PHOTO16]\n";
constexpr const char* kRunUsage = "usage: vexaro run JOB.vexaro [MORE.vexaro ...] [-o OUT]\n";
constexpr const char* kChartUsage =
    "usage: vexaro chart -o OUT.bmp [--paper A4|A3|8x10] [--dpi 1200] [--lpi 40] [--cmyk PROFILE.icc|default]\n";
constexpr const char* kViewUsage =
    "usage: vexaro view MERGED --lpi L [--mode portrait|landscape] [--dpi D] [--phase F]\n"
    "                   (--angle A -o VIEW.bmp | --frames N -o DIR/)\n";

constexpr const char* kMergeOptions =
    "\nInterleaves 2 to 16 photos (JPEG, BMP, PNG, TIFF; slots 1, 2, ... in order) into one\n"
    "picture for a lens sheet.\n"
    "  -o OUT             the picture: %s, with its resolution recorded\n"
    "  --mode             portrait: strips are rows (14.5 x 17.5 cm); landscape: columns\n"
    "  --lpi L            the lens sheet's lines per inch (21.25)\n"
    "  --crop K=L,T,W,H   photo K's crop in its own pixels (default: the window's frame)\n"
    "  --dpi D            the printer's native resolution (default: the classic one near 300)\n"
    "  --phase F          where the first lens starts, in lenses (-0.5 to 0.5)\n"
    "  --size WxH         the printed size in cm (14.5x17.5)\n"
    "  --sampling         nearest (as the window always did) or area (averaged)\n"
    "  --text TEXT        a line of text at --text-at X,Y (100,100) in --font\n"
    "  --rotate N         N quarter turns counter-clockwise\n"
    "  --align-bars       alignment bars beside the picture\n"
    "  --reverse          the last photo becomes the first frame\n"
    "  --pdf OUT.pdf      also a PDF page with the picture at its true size\n"
    "  --marks            crop and registration marks and a job line on the PDF page\n"
    "  --cmyk PROFILE     a CMYK TIFF for a press through this ICC output profile (default: the\n"
    "                     installed press profile); bars and --black-text in black ink only\n"
    "  --intent           perceptual (default) or relative (colorimetric, black point compensated)\n"
    "  --bleed MM         the picture grown by 0 to 20 mm on every side, the lens grid run on\n"
    "  --save-job JOB     the job of these options as a project file (.vexaro); -o may be left out\n"
    "  --align auto       each crop moved onto photo 1's content (--align-model similarity: also\n"
    "                     turned and scaled, for handheld shots); the job keeps the placements\n"
    "  --align subject:X,Y  each crop moved so that the subject at X,Y of photo 1 lies at the\n"
    "                     same place of every crop\n";
constexpr const char* kAlignOptions =
    "\nPrints where the reference photo's content lies in each photo, one line each:\n"
    "\"frame K: dx DX dy DY\" in photo K's pixels (content 10 pixels further right: dx 10), taken\n"
    "at the reference's centre, with \"angle A scale S\" (degrees counter-clockwise) for similarity.\n"
    "  --reference K      the photo the others are aligned to (1)\n"
    "  --subject X,Y      the shift of the subject at X,Y of the reference (its pixels)\n"
    "  --model            translation (rail shots) or similarity (handheld: also turn and scale)\n";
constexpr const char* kRunOptions =
    "\nRenders project files (from the window's File > Save Project or merge --save-job) to\n"
    "their outputs, one line each; exits 1 if any failed, the others still made.\n"
    "  -o OUT             with one job: write here instead of the job's own output\n";
constexpr const char* kChartOptions =
    "\nDraws the pitch test chart: rows of bar gratings, each labelled with its lpi.\n"
    "  -o OUT             the chart: %s, 1 bit, with its resolution\n"
    "  --paper            A4, A3 or 8x10 (A4)\n"
    "  --dpi D            the printer's resolution (1200)\n"
    "  --lpi L            the lens sheet's nominal lines per inch (40)\n"
    "  --cmyk PROFILE     a CMYK TIFF in black ink only with this press profile embedded\n";
constexpr const char* kViewOptions =
    "\nShows what a lens sheet makes of a merged picture at a viewing angle.\n"
    "  --lpi L            the lens sheet's lines per inch\n"
    "  --dpi D            the picture's resolution (default: the one the file records)\n"
    "  --phase F          where the first lens starts, in lenses\n"
    "  --angle A          one view at A (0 up to 1 across one lens) into -o VIEW\n"
    "  --frames N         N views at the angles (k + 0.5) / N into the folder -o DIR/\n";

// ".bmp, .tif/.tiff or .png": the types -o writes, as the save dialog lists them.
std::string WrittenTypesText() {
  const std::vector<const PictureFormat*> saved = SavedPictureFormats();
  std::string text;
  for (size_t i = 0; i < saved.size(); ++i) {
    if (i > 0) text += i + 1 == saved.size() ? " or " : ", ";
    std::string extensions;
    for (const std::string& ext : saved[i]->extensions) extensions += (extensions.empty() ? "." : "/.") + ext;
    text += extensions;
  }
  return text;
}

}  // namespace

std::string UsageText(const std::string& topic) {
  const std::string written = WrittenTypesText();
  if (topic == "merge") return std::string(kMergeUsage) + Format(kMergeOptions, written.c_str());
  if (topic == "run") return std::string(kRunUsage) + kRunOptions;
  if (topic == "chart") return std::string(kChartUsage) + Format(kChartOptions, written.c_str());
  if (topic == "view") return std::string(kViewUsage) + kViewOptions;
  if (topic == "align") return std::string(kAlignUsage) + kAlignOptions;
  // The second and third commands' lines line up under the first's.
  return std::string(kMergeUsage) + "       " + (kRunUsage + 7) + "       " + (kChartUsage + 7) + "       " +
         (kViewUsage + 7) + "       " + (kAlignUsage + 7) +
         "       vexaro --version\n"
         "       vexaro COMMAND --help\n";
}

std::string VersionText() { return std::string("vexaro (Vexaro Photo Maker) ") + LENTI_VERSION + "\n"; }

LensSettings LensOf(const MergeArgs& args) {
  LensSettings lens;
  lens.LensLpiX = args.lpi.X10000();
  lens.OutputDpi = args.output_dpi;
  lens.PhaseX10000 = args.phase_x10000;
  lens.WidthCmX100 = args.width_cm_x100;
  lens.HeightCmX100 = args.height_cm_x100;
  lens.sampling = args.sampling;
  return lens;
}

namespace {

bool IsCommandName(const std::string& word) {
  return word == "merge" || word == "run" || word == "chart" || word == "view" || word == "align";
}

// --help anywhere before "--" asks for the usage of the command named first.
std::optional<Command> HelpOrVersion(const std::vector<std::string>& args) {
  Command command;
  if (args[0] == "--version" || args[0] == "version") {
    command.kind = Command::Kind::Version;
    return command;
  }
  const bool asked = args[0] == "help" ||
                     std::any_of(args.begin(), std::find(args.begin(), args.end(), "--"),
                                 [](const std::string& arg) { return arg == "-h" || arg == "--help"; });
  if (!asked) return std::nullopt;
  command.kind = Command::Kind::Help;
  // "vexaro merge --help" and "vexaro help merge".
  const std::string& named = args[0] == "help" && args.size() > 1 ? args[1] : args[0];
  if (IsCommandName(named)) command.topic = named;
  return command;
}

}  // namespace

ParseResult ParseArguments(const std::vector<std::string>& args) {
  ParseResult result;
  try {
    if (args.empty()) Fail("missing command: merge, run, chart, view or align");
    if (std::optional<Command> asked = HelpOrVersion(args)) {
      result.command = std::move(asked);
      return result;
    }
    const std::string& verb = args[0];
    if (IsCommandName(verb)) result.topic = verb;
    Command command;
    if (verb == "merge") {
      command.kind = Command::Kind::Merge;
      command.merge = ParseMerge(args);
    } else if (verb == "run") {
      command.kind = Command::Kind::Run;
      command.run = ParseRun(args);
    } else if (verb == "chart") {
      command.kind = Command::Kind::Chart;
      command.chart = ParseChart(args);
    } else if (verb == "view") {
      command.kind = Command::Kind::View;
      command.view = ParseView(args);
    } else if (verb == "align") {
      command.kind = Command::Kind::Align;
      command.align = ParseAlign(args);
    } else {
      Fail("unknown command " + Quoted(verb) + ": use merge, run, chart, view or align");
    }
    result.command = std::move(command);
  } catch (const UsageError& e) {
    result.error = e.text;
  } catch (const std::exception& e) {
    result.error = e.what();
  }
  return result;
}

}  // namespace lenti::cli
