#include "job/job_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>

#include <nlohmann/json.hpp>

#include "core/error.h"
#include "core/file_io.h"
#include "core/lens_pitch.h"

namespace lenti {

namespace {

using nlohmann::json;
// Written in the order of the format's description, "format" and "version"
// first, so that a person reading the file sees what it is at once.
using written_json = nlohmann::ordered_json;
namespace fs = std::filesystem;

constexpr int kMaxDepth = 32;
constexpr size_t kMaxPathBytes = 4096;
constexpr size_t kMaxTextBytes = 4096;
constexpr size_t kMaxFinishingSteps = 10000;
constexpr size_t kMaxFamilyBytes = 256;
constexpr size_t kMaxPageBytes = 16;
constexpr int kMaxFontPoints = 1000;
constexpr int32_t kMaxTextPlace = 1 << 20;
// No photo that fits in memory is wider or higher than this.
constexpr int32_t kMaxPhotoSide = 1 << 20;
// An aligned frame turns and scales far less than this; more is a damaged file.
constexpr double kMaxPlacementAngle = 45;
constexpr double kMinPlacementScale = 0.5;
constexpr double kMaxPlacementScale = 2;

// A problem of the file's content; the readers name the file around it.
[[noreturn]] void Bad(const std::string& problem) { throw Error(problem); }

// ---- writing ---------------------------------------------------------------

std::string ColorText(Color c) { return Format("#%02x%02x%02x", c.r, c.g, c.b); }

written_json FontJson(const Font& font) {
  return written_json{{"family", font.family}, {"size", font.size},           {"bold", font.bold},
              {"italic", font.italic}, {"underline", font.underline}, {"strikeout", font.strikeout},
              {"color", ColorText(font.color)}};
}

written_json TextJson(const JobText& text) {
  return written_json{{"text", text.text}, {"x", text.at.x}, {"y", text.at.y}, {"font", FontJson(text.font)}};
}

// Fixed-point values written in their own units: 212500 lpi x 10000 is 21.25.
double Units(int64_t fixed, int64_t one) { return static_cast<double>(fixed) / static_cast<double>(one); }

written_json LensJson(const LensSettings& lens) {
  written_json dpi = lens.OutputDpi == kNearest300Dpi ? written_json("nearest-300") : written_json(lens.OutputDpi);
  return written_json{{"lpi", Units(lens.LensLpiX, 10000)},
              {"dpi", dpi},
              {"phase", Units(lens.PhaseX10000, 10000)},
              {"width_cm", Units(lens.WidthCmX100, 100)},
              {"height_cm", Units(lens.HeightCmX100, 100)},
              {"sampling", lens.sampling == Sampling::Area ? "area" : "nearest"},
              {"bars", lens.FlipMode ? "up-down" : "3d"}};
}

// The photo's path from the project's folder, forward slashes; the absolute
// path itself when none can be formed (another drive, an empty folder).
// A relative path longer than the reader takes (a photo far up from a deep
// project folder) is written absolute too.
std::string RelativePath(const std::string& photo, const fs::path& folder) {
  const fs::path relative = fs::path(photo).lexically_normal().lexically_relative(folder);
  if (relative.empty() || relative.native().size() > kMaxPathBytes) return photo;
  return relative.generic_string();
}

// `path` made absolute against the current folder, lexically normal; the
// path itself should the current folder be unknown.
fs::path AbsolutePath(const std::string& path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  return (error ? fs::path(path) : absolute).lexically_normal();
}

written_json FrameJson(const JobFrame& frame, const fs::path& folder) {
  const std::string absolute = AbsolutePath(frame.path).string();
  written_json out{{"slot", frame.slot}, {"path", RelativePath(absolute, folder)}};
  if (fs::path(absolute).is_absolute()) out["absolute_path"] = absolute;
  if (!frame.hash.empty()) out["xxh3"] = frame.hash;
  if (frame.pixels.width > 0) {
    out["width"] = frame.pixels.width;
    out["height"] = frame.pixels.height;
  }
  if (frame.crop) {
    const Rect& c = *frame.crop;
    out["crop"] = written_json{{"left", c.left}, {"top", c.top}, {"width", c.Width()}, {"height", c.Height()}};
  }
  const FramePlacement& placement = frame.placement;
  if (placement.shift_x != 0 || placement.shift_y != 0) {
    out["shift"] = written_json{{"x", placement.shift_x}, {"y", placement.shift_y}};
  }
  if (placement.angle != 0 || placement.scale != 1) {
    out["turn"] = written_json{{"angle", placement.angle}, {"scale", placement.scale}};
  }
  return out;
}

const char* StepName(FinishingStep::Kind kind) {
  switch (kind) {
    case FinishingStep::Kind::BurnText: return "text";
    case FinishingStep::Kind::Turn: return "turn";
    case FinishingStep::Kind::BarsOn: return "bars-on";
    case FinishingStep::Kind::BarsOff: return "bars-off";
  }
  return "turn";
}

// ---- reading ---------------------------------------------------------------

// A member of `object` (null when absent), `where` naming it in errors.
const json* Member(const json& object, const char* key) {
  const auto it = object.find(key);
  return it == object.end() || it->is_null() ? nullptr : &*it;
}

const json& Required(const json& object, const char* key, const std::string& where) {
  const json* value = Member(object, key);
  if (value == nullptr) Bad(Format("\"%s\" is missing", (where + key).c_str()));
  return *value;
}

const json& ObjectAt(const json& object, const char* key, const std::string& where) {
  const json& value = Required(object, key, where);
  if (!value.is_object()) Bad(Format("\"%s\" is not an object", (where + key).c_str()));
  return value;
}

// A whole number within [low, high]; 6000.0 and 1e3 count as whole numbers.
int64_t IntegerIn(const json& value, const std::string& name, int64_t low, int64_t high) {
  const auto outside = [&] {
    Bad(Format("\"%s\" is %s, outside %lld to %lld", name.c_str(), value.dump().c_str(),
               static_cast<long long>(low), static_cast<long long>(high)));
  };
  if (value.is_number_unsigned()) {
    if (value.get<uint64_t>() > static_cast<uint64_t>(high)) outside();
  } else if (value.is_number_float()) {
    const double d = value.get<double>();
    if (d != std::trunc(d)) Bad(Format("\"%s\" is %s, not a whole number", name.c_str(), value.dump().c_str()));
    if (d < static_cast<double>(low) || d > static_cast<double>(high)) outside();
    return static_cast<int64_t>(d);
  } else if (!value.is_number_integer()) {
    Bad(Format("\"%s\" is not a whole number", name.c_str()));
  }
  const int64_t v = value.get<int64_t>();
  if (v < low || v > high) outside();
  return v;
}

// Any number within [low, high] (a placement's fractions of a pixel).
double NumberAt(const json& object, const char* key, const std::string& where, double low, double high,
                double fallback) {
  const json* value = Member(object, key);
  if (value == nullptr) return fallback;
  const std::string name = where + key;
  if (!value->is_number()) Bad(Format("\"%s\" is not a number", name.c_str()));
  const double number = value->get<double>();
  if (!(number >= low && number <= high)) {
    Bad(Format("\"%s\" is %s, outside %g to %g", name.c_str(), value->dump().c_str(), low, high));
  }
  return number;
}

int32_t Int32At(const json& object, const char* key, const std::string& where, int64_t low, int64_t high,
                int32_t fallback) {
  const json* value = Member(object, key);
  if (value == nullptr) return fallback;
  return static_cast<int32_t>(IntegerIn(*value, where + key, low, high));
}

// A number in its own units read to fixed point (21.25 lpi -> 212500),
// within [low, high] of the fixed-point value.
int64_t FixedAt(const json& object, const char* key, const std::string& where, int64_t one, int64_t low,
                int64_t high, int64_t fallback) {
  const json* value = Member(object, key);
  if (value == nullptr) return fallback;
  const std::string name = where + key;
  if (!value->is_number()) Bad(Format("\"%s\" is not a number", name.c_str()));
  const double units = value->get<double>();
  const double fixed = std::nearbyint(units * static_cast<double>(one));
  if (!std::isfinite(units) || fixed < static_cast<double>(low) || fixed > static_cast<double>(high)) {
    Bad(Format("\"%s\" is %s, outside %g to %g", name.c_str(), value->dump().c_str(),
               Units(low, one), Units(high, one)));
  }
  return static_cast<int64_t>(fixed);
}

bool BoolAt(const json& object, const char* key, const std::string& where, bool fallback) {
  const json* value = Member(object, key);
  if (value == nullptr) return fallback;
  if (!value->is_boolean()) Bad(Format("\"%s\" is not true or false", (where + key).c_str()));
  return value->get<bool>();
}

std::string StringAt(const json& object, const char* key, const std::string& where, size_t max_bytes,
                     const std::string& fallback) {
  const json* value = Member(object, key);
  if (value == nullptr) return fallback;
  const std::string name = where + key;
  if (!value->is_string()) Bad(Format("\"%s\" is not a text", name.c_str()));
  const std::string& text = value->get_ref<const std::string&>();
  if (text.size() > max_bytes) Bad(Format("\"%s\" is longer than %zu bytes", name.c_str(), max_bytes));
  if (text.find('\0') != std::string::npos) Bad(Format("\"%s\" holds a NUL character", name.c_str()));
  return text;
}

// One of `names` (index returned), or the fallback index when absent.
int ChoiceAt(const json& object, const char* key, const std::string& where,
             std::initializer_list<const char*> names, int fallback) {
  const json* value = Member(object, key);
  if (value == nullptr) return fallback;
  const std::string text = StringAt(object, key, where, 64, "");
  int index = 0;
  std::string listed;
  for (const char* name : names) {
    if (text == name) return index;
    listed += (index++ == 0 ? "\"" : ", \"") + std::string(name) + "\"";
  }
  Bad(Format("\"%s\" is \"%s\", not one of %s", (where + key).c_str(), text.c_str(), listed.c_str()));
}

bool IsHexDigits(const std::string& text, size_t from) {
  for (size_t i = from; i < text.size(); ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

// "#rrggbb", six hex digits and nothing else.
Color ColorFrom(const std::string& text, const std::string& name) {
  if (text.size() != 7 || text[0] != '#' || !IsHexDigits(text, 1)) {
    Bad(Format("\"%s\" is \"%s\", not a colour like \"#ff0000\"", name.c_str(), text.c_str()));
  }
  const unsigned long rgb = std::stoul(text.substr(1), nullptr, 16);
  return Color{static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb)};
}

Font FontFrom(const json& object, const std::string& where) {
  Font font;
  font.family = StringAt(object, "family", where, kMaxFamilyBytes, font.family);
  font.size = Int32At(object, "size", where, 1, kMaxFontPoints, font.size);
  font.bold = BoolAt(object, "bold", where, font.bold);
  font.italic = BoolAt(object, "italic", where, font.italic);
  font.underline = BoolAt(object, "underline", where, font.underline);
  font.strikeout = BoolAt(object, "strikeout", where, font.strikeout);
  if (Member(object, "color") != nullptr) {
    font.color = ColorFrom(StringAt(object, "color", where, 16, ""), where + "color");
  }
  return font;
}

JobText TextFrom(const json& object, const std::string& where) {
  if (!object.is_object()) Bad(Format("\"%s\" is not an object", where.substr(0, where.size() - 1).c_str()));
  JobText text;
  text.text = StringAt(object, "text", where, kMaxTextBytes, "");
  text.at.x = Int32At(object, "x", where, -kMaxTextPlace, kMaxTextPlace, text.at.x);
  text.at.y = Int32At(object, "y", where, -kMaxTextPlace, kMaxTextPlace, text.at.y);
  if (Member(object, "font") != nullptr) text.font = FontFrom(ObjectAt(object, "font", where), where + "font.");
  return text;
}

LensSettings LensFrom(const json& object) {
  const std::string where = "lens.";
  LensSettings lens;
  lens.LensLpiX = FixedAt(object, "lpi", where, 10000, kMinLensLpiX, kMaxLensLpiX, lens.LensLpiX);
  if (const json* dpi = Member(object, "dpi"); dpi != nullptr && !dpi->is_string()) {
    lens.OutputDpi = static_cast<int32_t>(IntegerIn(*dpi, "lens.dpi", kMinNativeDpi, kMaxNativeDpi));
  } else if (dpi != nullptr) {
    ChoiceAt(object, "dpi", where, {"nearest-300"}, 0);
  }
  lens.PhaseX10000 = static_cast<int32_t>(
      FixedAt(object, "phase", where, 10000, -kMaxPhaseX10000, kMaxPhaseX10000, lens.PhaseX10000));
  lens.WidthCmX100 =
      static_cast<int32_t>(FixedAt(object, "width_cm", where, 100, 1, kMaxPictureCmX100, lens.WidthCmX100));
  lens.HeightCmX100 =
      static_cast<int32_t>(FixedAt(object, "height_cm", where, 100, 1, kMaxPictureCmX100, lens.HeightCmX100));
  lens.sampling = ChoiceAt(object, "sampling", where, {"nearest", "area"}, 0) == 1 ? Sampling::Area
                                                                                    : Sampling::Nearest;
  lens.FlipMode = ChoiceAt(object, "bars", where, {"3d", "up-down"}, lens.FlipMode ? 1 : 0) == 1;
  return lens;
}

// A photo path from the file: relative to the project's folder, with the
// absolute one as the fallback when the relative one finds nothing.
std::string PhotoPathFrom(const json& object, const std::string& where, const fs::path& folder) {
  const std::string path = StringAt(object, "path", where, kMaxPathBytes, "");
  const std::string absolute_text = StringAt(object, "absolute_path", where, kMaxPathBytes, "");
  if (path.empty() && absolute_text.empty()) Bad(Format("\"%spath\" is missing", where.c_str()));
  // Never against the current folder: that would change with where the program started.
  if (!absolute_text.empty() && !fs::path(absolute_text).is_absolute()) {
    Bad(Format("\"%sabsolute_path\" is not an absolute path", where.c_str()));
  }
  const fs::path absolute = fs::path(absolute_text).lexically_normal();
  if (path.empty()) return absolute.string();
  const fs::path resolved = (fs::path(path).is_absolute() ? fs::path(path) : folder / path).lexically_normal();
  std::error_code ignored;
  if (!absolute_text.empty() && !fs::exists(resolved, ignored) && fs::exists(absolute, ignored)) return absolute.string();
  if (resolved.native().size() > kMaxPathBytes) {
    Bad(Format("\"%spath\" is longer than %zu bytes within the project's folder", where.c_str(), kMaxPathBytes));
  }
  return resolved.string();
}

JobFrame FrameFrom(const json& object, size_t index, const fs::path& folder) {
  const std::string where = Format("frames[%zu].", index);
  if (!object.is_object()) Bad(Format("\"frames[%zu]\" is not an object", index));
  JobFrame frame;
  frame.slot = static_cast<int>(IntegerIn(Required(object, "slot", where), where + "slot", 1, kSlotCount));
  frame.path = PhotoPathFrom(object, where, folder);
  frame.hash = StringAt(object, "xxh3", where, 64, "");
  if (frame.hash.size() != 16 || !IsHexDigits(frame.hash, 0)) {
    if (Member(object, "xxh3") != nullptr) Bad(Format("\"%sxxh3\" is not 16 hex digits", where.c_str()));
  }
  for (char& c : frame.hash) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  frame.pixels.width = Int32At(object, "width", where, 1, kMaxPhotoSide, 0);
  frame.pixels.height = Int32At(object, "height", where, 1, kMaxPhotoSide, 0);
  if ((frame.pixels.width == 0) != (frame.pixels.height == 0)) {
    Bad(Format("\"%swidth\" and \"%sheight\" go together", where.c_str(), where.c_str()));
  }
  if (Member(object, "crop") != nullptr) {
    const json& crop = ObjectAt(object, "crop", where);
    const std::string at = where + "crop.";
    // A crop may reach past the photo's edges (that part stays white), as in the window.
    const int32_t left =
        static_cast<int32_t>(IntegerIn(Required(crop, "left", at), at + "left", -kMaxPhotoSide, kMaxPhotoSide));
    const int32_t top =
        static_cast<int32_t>(IntegerIn(Required(crop, "top", at), at + "top", -kMaxPhotoSide, kMaxPhotoSide));
    const int32_t width =
        static_cast<int32_t>(IntegerIn(Required(crop, "width", at), at + "width", 1, kMaxPhotoSide));
    const int32_t height =
        static_cast<int32_t>(IntegerIn(Required(crop, "height", at), at + "height", 1, kMaxPhotoSide));
    frame.crop = Rect{left, top, left + width, top + height};
  }
  if (Member(object, "shift") != nullptr) {
    const json& shift = ObjectAt(object, "shift", where);
    frame.placement.shift_x = NumberAt(shift, "x", where + "shift.", -kMaxPhotoSide, kMaxPhotoSide, 0);
    frame.placement.shift_y = NumberAt(shift, "y", where + "shift.", -kMaxPhotoSide, kMaxPhotoSide, 0);
  }
  if (Member(object, "turn") != nullptr) {
    const json& turn = ObjectAt(object, "turn", where);
    frame.placement.angle = NumberAt(turn, "angle", where + "turn.", -kMaxPlacementAngle, kMaxPlacementAngle, 0);
    frame.placement.scale = NumberAt(turn, "scale", where + "turn.", kMinPlacementScale, kMaxPlacementScale, 1);
  }
  return frame;
}

FinishingStep StepFrom(const json& object, size_t index) {
  const std::string where = Format("finishing[%zu].", index);
  if (!object.is_object()) Bad(Format("\"finishing[%zu]\" is not an object", index));
  if (Member(object, "step") == nullptr) Bad(Format("\"%sstep\" is missing", where.c_str()));
  FinishingStep step;
  step.kind = static_cast<FinishingStep::Kind>(
      ChoiceAt(object, "step", where, {"text", "turn", "bars-on", "bars-off"}, 0));
  if (step.kind == FinishingStep::Kind::BurnText) step.text = TextFrom(Required(object, "text", where), where + "text.");
  return step;
}

void CheckVersion(const json& root) {
  const json* format = Member(root, "format");
  if (format == nullptr || !format->is_string() || format->get<std::string>() != kJobFormatName) {
    Bad("it is not a Vexaro Photo Maker project (no \"format\": \"vexaro-job\")");
  }
  const json& version = Required(root, "version", "");
  if (!version.is_number_integer()) Bad("\"version\" is not a version number");
  if (version.is_number_unsigned() && version.get<uint64_t>() > kJobFormatVersion) {
    Bad(Format("it was made by a newer version of Vexaro Photo Maker (project version %s)",
               version.dump().c_str()));
  }
  if (version.get<int64_t>() < 1) Bad(Format("\"version\" is %s, not a version number", version.dump().c_str()));
}

// The press output; every field may be left out (a project without it
// writes the picture as it always did).
PressOutput PressFrom(const json& object) {
  const std::string where = "output.press.";
  PressOutput press;
  press.cmyk = BoolAt(object, "cmyk", where, press.cmyk);
  press.profile = StringAt(object, "profile", where, kMaxPathBytes, press.profile);
  press.intent = ChoiceAt(object, "intent", where, {"perceptual", "relative"}, 0) == 1 ? PressIntent::RelativeColorimetric
                                                                                      : PressIntent::Perceptual;
  press.bleed_mm = static_cast<double>(FixedAt(object, "bleed_mm", where, 100, 0, 2000, 0)) / 100;
  press.marks = BoolAt(object, "marks", where, press.marks);
  press.black_text = BoolAt(object, "black_text", where, press.black_text);
  return press;
}

written_json OutputJson(const JobOutput& output) {
  written_json out{{"path", output.path}, {"pdf", output.pdf}};
  // Only a press output that differs from the plain one is written, so a
  // project of a plain picture is written as it always was.
  if (output.press == PressOutput{}) return out;
  const PressOutput& press = output.press;
  out["press"] = written_json{{"cmyk", press.cmyk},
                              {"profile", press.profile},
                              {"intent", press.intent == PressIntent::RelativeColorimetric ? "relative" : "perceptual"},
                              {"bleed_mm", Units(static_cast<int64_t>(std::nearbyint(press.bleed_mm * 100)), 100)},
                              {"marks", press.marks},
                              {"black_text", press.black_text}};
  return out;
}

Job JobFrom(const json& root, const fs::path& folder) {
  if (!root.is_object()) Bad("it is not a Vexaro Photo Maker project (no \"format\": \"vexaro-job\")");
  CheckVersion(root);
  Job job;
  const json& frames = Required(root, "frames", "");
  if (!frames.is_array()) Bad("\"frames\" is not a list");
  if (frames.size() > static_cast<size_t>(kSlotCount)) {
    Bad(Format("it has %zu frames, more than %d", frames.size(), kSlotCount));
  }
  for (size_t i = 0; i < frames.size(); ++i) job.frames.push_back(FrameFrom(frames[i], i, folder));
  job.mode = ChoiceAt(root, "mode", "", {"portrait", "landscape"}, 0) == 1 ? Mode::LandscapeColumns
                                                                           : Mode::PortraitRows;
  if (Member(root, "lens") != nullptr) job.lens = LensFrom(ObjectAt(root, "lens", ""));
  job.merged = BoolAt(root, "merged", "", false);
  if (const json* steps = Member(root, "finishing"); steps != nullptr) {
    if (!steps->is_array()) Bad("\"finishing\" is not a list");
    if (steps->size() > kMaxFinishingSteps) Bad(Format("\"finishing\" has more than %zu steps", kMaxFinishingSteps));
    for (size_t i = 0; i < steps->size(); ++i) job.finishing.push_back(StepFrom((*steps)[i], i));
  }
  if (Member(root, "text") != nullptr) job.pending_text = TextFrom(root["text"], "text.");
  if (Member(root, "output") != nullptr) {
    const json& output = ObjectAt(root, "output", "");
    job.output.path = StringAt(output, "path", "output.", kMaxPathBytes, "");
    job.output.pdf = StringAt(output, "pdf", "output.", kMaxPathBytes, "");
    if (Member(output, "press") != nullptr) job.output.press = PressFrom(ObjectAt(output, "press", "output."));
  }
  if (Member(root, "printer") != nullptr) {
    const json& printer = ObjectAt(root, "printer", "");
    job.printer.dpi = Int32At(printer, "dpi", "printer.", 0, kMaxPrinterDpi, 0);
    job.printer.page = StringAt(printer, "page", "printer.", kMaxPageBytes, job.printer.page);
  }
  CheckJobValues(job);
  return job;
}

std::string ProjectName(const std::string& path) { return fs::path(path).filename().string(); }

[[noreturn]] void CannotRead(const std::string& path, const std::string& problem) {
  throw Error(Format("Cannot open the project \"%s\": %s.", path.c_str(), problem.c_str()));
}

// The system's reason in the middle of a sentence ("no such file or directory").
std::string Reason(int errnum) {
  std::string reason = SystemReason(errnum);
  if (!reason.empty()) reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
  return reason;
}

void CheckText(const JobText& text, const std::string& what) {
  if (text.text.size() > kMaxTextBytes) Bad(Format("%s is longer than %zu bytes", what.c_str(), kMaxTextBytes));
  if (text.font.family.size() > kMaxFamilyBytes) Bad(Format("the font name of %s is too long", what.c_str()));
  if (text.font.size < 1 || text.font.size > kMaxFontPoints) {
    Bad(Format("the font size of %s is outside 1 to %d points", what.c_str(), kMaxFontPoints));
  }
  if (text.at.x < -kMaxTextPlace || text.at.x > kMaxTextPlace || text.at.y < -kMaxTextPlace ||
      text.at.y > kMaxTextPlace) {
    Bad(Format("%s lies too far from the picture", what.c_str()));
  }
  if (text.text.find('\0') != std::string::npos || text.font.family.find('\0') != std::string::npos) {
    Bad(Format("%s holds a NUL character", what.c_str()));
  }
}

void CheckPath(const std::string& path, const std::string& what) {
  if (path.size() > kMaxPathBytes) Bad(Format("%s is longer than %zu bytes", what.c_str(), kMaxPathBytes));
  if (path.find('\0') != std::string::npos) Bad(Format("%s holds a NUL character", what.c_str()));
}

bool IsHash(const std::string& hash) {
  return hash.size() == 16 && hash.find_first_not_of("0123456789abcdef") == std::string::npos;
}

}  // namespace

void CheckJobValues(const Job& job) {
  if (job.frames.size() > static_cast<size_t>(kSlotCount)) {
    Bad(Format("it has %zu frames, more than %d", job.frames.size(), kSlotCount));
  }
  std::set<int> slots;
  for (const JobFrame& frame : job.frames) {
    if (frame.slot < 1 || frame.slot > kSlotCount) Bad(Format("a photo is numbered %d, not 1 to %d", frame.slot, kSlotCount));
    if (!slots.insert(frame.slot).second) Bad(Format("photo %d is named twice", frame.slot));
    if (frame.path.empty()) Bad(Format("photo %d has no path", frame.slot));
    CheckPath(frame.path, Format("the path of photo %d", frame.slot));
    if (!frame.hash.empty() && !IsHash(frame.hash)) {
      Bad(Format("the fingerprint of photo %d is not 16 hex digits", frame.slot));
    }
    const Size& px = frame.pixels;
    if (px.width < 0 || px.height < 0 || px.width > kMaxPhotoSide || px.height > kMaxPhotoSide ||
        (px.width == 0) != (px.height == 0)) {
      Bad(Format("photo %d has a size of %d x %d pixels", frame.slot, px.width, px.height));
    }
    const FramePlacement& placement = frame.placement;
    if (!(std::abs(placement.shift_x) <= kMaxPhotoSide && std::abs(placement.shift_y) <= kMaxPhotoSide)) {
      Bad(Format("photo %d is shifted too far", frame.slot));
    }
    if (!(std::abs(placement.angle) <= kMaxPlacementAngle && placement.scale >= kMinPlacementScale &&
          placement.scale <= kMaxPlacementScale)) {
      Bad(Format("photo %d is turned or scaled beyond %g degrees or %g to %g", frame.slot, kMaxPlacementAngle,
                 kMinPlacementScale, kMaxPlacementScale));
    }
    if (!frame.crop) continue;
    const Rect& c = *frame.crop;
    if (c.IsEmpty()) Bad(Format("the crop of photo %d is empty", frame.slot));
    if (c.left < -kMaxPhotoSide || c.top < -kMaxPhotoSide || c.right > 2 * kMaxPhotoSide ||
        c.bottom > 2 * kMaxPhotoSide || c.Width() > kMaxPhotoSide || c.Height() > kMaxPhotoSide) {
      Bad(Format("the crop of photo %d is larger than any photo", frame.slot));
    }
    // Partly past the edges is a framing choice; wholly beside the photo is a mistake.
    if (px.width > 0 && c.Intersected(Rect{0, 0, px.width, px.height}).IsEmpty()) {
      Bad(Format("the crop of photo %d lies outside its %d x %d pixels", frame.slot, px.width, px.height));
    }
  }
  const LensSettings& lens = job.lens;
  if (!InLensPitchRange(LensPitch::FromX10000(lens.LensLpiX))) {
    Bad("the lens pitch is outside " + kMinLensPitch.Text() + " to " + kMaxLensPitch.Text() + " lpi");
  }
  if (lens.OutputDpi != kNearest300Dpi && (lens.OutputDpi < kMinNativeDpi || lens.OutputDpi > kMaxNativeDpi)) {
    Bad(Format("the resolution is outside %d to %d dpi", kMinNativeDpi, kMaxNativeDpi));
  }
  if (lens.PhaseX10000 < -kMaxPhaseX10000 || lens.PhaseX10000 > kMaxPhaseX10000) Bad("the phase is outside -0.5 to 0.5");
  if (lens.WidthCmX100 < 1 || lens.HeightCmX100 < 1 || lens.WidthCmX100 > kMaxPictureCmX100 ||
      lens.HeightCmX100 > kMaxPictureCmX100) {
    Bad("the picture size is outside 0.01 to 1000 cm");
  }
  if (!job.merged && !job.finishing.empty()) Bad("it has finishing steps but no merged picture");
  if (job.finishing.size() > kMaxFinishingSteps) Bad(Format("it has more than %zu finishing steps", kMaxFinishingSteps));
  for (size_t i = 0; i < job.finishing.size(); ++i) {
    if (job.finishing[i].kind == FinishingStep::Kind::BurnText) {
      CheckText(job.finishing[i].text, Format("the text of finishing step %zu", i + 1));
    }
  }
  if (job.pending_text) CheckText(*job.pending_text, "the pending text");
  CheckPath(job.output.path, "the output path");
  CheckPath(job.output.pdf, "the PDF path");
  CheckPath(job.output.press.profile, "the press profile's path");
  if (!(job.output.press.bleed_mm >= 0 && job.output.press.bleed_mm <= 20)) Bad("the bleed is outside 0 to 20 mm");
  if (job.printer.dpi < 0 || job.printer.dpi > kMaxPrinterDpi) {
    Bad(Format("the printer resolution is outside 0 to %d dpi", kMaxPrinterDpi));
  }
  if (job.printer.page.size() > kMaxPageBytes || job.printer.page.find('\0') != std::string::npos) {
    Bad("the printer's page is not a page size");
  }
}

std::string JobToJson(const Job& job, const std::string& project_path) {
  const fs::path folder = AbsolutePath(project_path).parent_path();
  written_json frames = written_json::array();
  for (const JobFrame& frame : job.frames) frames.push_back(FrameJson(frame, folder));
  written_json steps = written_json::array();
  for (const FinishingStep& step : job.finishing) {
    written_json out{{"step", StepName(step.kind)}};
    if (step.kind == FinishingStep::Kind::BurnText) out["text"] = TextJson(step.text);
    steps.push_back(std::move(out));
  }
  written_json root{{"format", kJobFormatName},
            {"version", kJobFormatVersion},
            {"frames", std::move(frames)},
            {"mode", job.mode == Mode::LandscapeColumns ? "landscape" : "portrait"},
            {"lens", LensJson(job.lens)},
            {"merged", job.merged},
            {"finishing", std::move(steps)},
            {"output", OutputJson(job.output)},
            {"printer", written_json{{"dpi", job.printer.dpi}, {"page", job.printer.page}}}};
  if (job.pending_text) root["text"] = TextJson(*job.pending_text);
  // Invalid UTF-8 (a file name in another encoding) is written replaced, never refused.
  return root.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

Job JobFromJson(std::string_view text, const std::string& project_path) {
  const fs::path folder = AbsolutePath(project_path).parent_path();
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) CannotRead(project_path, "it is empty");
  json root;
  try {
    // The depth is bounded while parsing, before a deep file can cost anything.
    const json::parser_callback_t limit_depth = [](int depth, json::parse_event_t, json&) {
      if (depth > kMaxDepth) throw Error(Format("it is nested deeper than %d levels", kMaxDepth));
      return true;
    };
    root = json::parse(text.begin(), text.end(), limit_depth);
  } catch (const json::exception& e) {
    // A syntax error, or a number beyond any double (1e400).
    std::string what = e.what();
    const size_t cut = what.find("] ");
    CannotRead(project_path, "it is not valid JSON (" + (cut == std::string::npos ? what : what.substr(cut + 2)) + ")");
  } catch (const Error& e) {
    CannotRead(project_path, e.what());
  }
  try {
    return JobFrom(root, folder);
  } catch (const Error& e) {
    CannotRead(project_path, e.what());
  } catch (const json::exception& e) {
    CannotRead(project_path, e.what());
  }
}

void SaveJobFile(const Job& job, const std::string& path) {
  // Never written when it would not open again.
  try {
    CheckJobValues(job);
  } catch (const Error& e) {
    throw Error(Format("Cannot save the project \"%s\": %s.", path.c_str(), e.what()));
  }
  const std::string text = JobToJson(job, path);
  AtomicFile file(path);
  WriteWholeFile(file.TempPath(), reinterpret_cast<const uint8_t*>(text.data()), text.size());
  file.Commit();
}

Job LoadJobFile(const std::string& path) {
  if (path.empty() || path.size() > kMaxPathBytes || path.find('\0') != std::string::npos) {
    CannotRead(ProjectName(path), "the name is not a usable file name");
  }
  // Opened without blocking (a FIFO), then judged by what was opened: a
  // folder, a device or a file far too large is refused before any read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) CannotRead(path, Reason(errno));
  struct FdCloser {
    int fd;
    ~FdCloser() { ::close(fd); }
  } closer{fd};
  struct stat st{};
  if (::fstat(fd, &st) != 0) CannotRead(path, Reason(errno));
  if (S_ISDIR(st.st_mode)) CannotRead(path, "it is a folder, not a project file");
  if (!S_ISREG(st.st_mode)) CannotRead(path, "it is not a regular file");
  if (static_cast<uint64_t>(st.st_size) > kMaxJobFileBytes) {
    CannotRead(path, Format("it is larger than %llu MB, far larger than any project",
                            static_cast<unsigned long long>(kMaxJobFileBytes >> 20)));
  }
  std::string text;
  text.reserve(static_cast<size_t>(st.st_size));
  char chunk[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) CannotRead(path, Reason(errno));
    if (n == 0) break;
    text.append(chunk, static_cast<size_t>(n));
    if (text.size() > kMaxJobFileBytes) CannotRead(path, "it grew past the size of any project while being read");
  }
  return JobFromJson(text, path);
}

}  // namespace lenti
