// The project file: a job saved and opened again is the same job (fixed
// point included), photo paths follow the project folder, and every kind of
// bad file is refused with a message naming the file and the problem.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/file_io.h"
#include "job/job_file.h"

#include "error_of.h"
#include "temp_dir.h"

namespace lenti {
namespace {

namespace fs = std::filesystem;
using lenti::testing::ErrorOf;
using lenti::testing::TempDir;

void WriteText(const std::string& path, const std::string& text) {
  WriteWholeFile(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

std::string ReadText(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path);
  return std::string(bytes.begin(), bytes.end());
}

JobText Text(const std::string& words, Color color, Point at) {
  return JobText{words, Font{"DejaVu Sans", 24, true, false, true, false, color}, at};
}

// Every field away from its start value.
Job FullJob(const TempDir& dir) {
  Job job;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    JobFrame frame;
    frame.slot = kSlotCount + 1 - slot;
    frame.path = dir / ("photos/f" + std::to_string(slot) + ".jpg");
    frame.hash = "0123456789abcde" + std::string(1, "0123456789abcdef"[slot - 1]);
    frame.pixels = Size{6000 + slot, 4000 - slot};
    // One crop reaching past the left and top edges, as the window allows.
    if (slot != 3) frame.crop = slot == 5 ? Rect{-40, -7, 3000, 2000} : Rect{slot, 2 * slot, 4970 + slot, 3999 - slot};
    frame.placement = FramePlacement{slot - 8.25, 3.5 - slot, slot / 8.0 - 1, 1 + slot / 1000.0};
    job.frames.push_back(frame);
  }
  job.mode = Mode::LandscapeColumns;
  job.lens = LensSettings{601234, true, 720, -1234, 1453, 1729, Sampling::Area};
  job.merged = true;
  job.finishing = {{FinishingStep::Kind::BarsOn, {}},
                   {FinishingStep::Kind::BurnText, Text("Grüße", Color{1, 2, 250}, Point{-5, 7})},
                   {FinishingStep::Kind::Turn, {}},
                   {FinishingStep::Kind::BarsOff, {}}};
  job.pending_text = Text("later", Color{255, 128, 0}, Point{300, 40});
  job.output = JobOutput{dir / "out.tif", dir / "out.pdf",
                         PressOutput{true, dir / "press.icc", PressIntent::RelativeColorimetric, 3.17, true, true}};
  job.printer = PrinterProfile{9600, "Letter"};  // the finest a PDF printer takes
  return job;
}

TEST(JobFile, EveryFieldReadsBackTheSame) {
  TempDir dir;
  const Job job = FullJob(dir);
  SaveJobFile(job, dir / "job.vexaro");
  EXPECT_EQ(LoadJobFile(dir / "job.vexaro"), job);
  // Fixed point is written in its own units, not as the stored integers.
  const std::string text = ReadText(dir / "job.vexaro");
  for (const char* written : {"\"lpi\": 60.1234", "\"width_cm\": 14.53", "\"phase\": -0.1234", "\"dpi\": 720",
                              "\"bleed_mm\": 3.17", "\"intent\": \"relative\""}) {
    EXPECT_NE(text.find(written), std::string::npos) << written;
  }
}

// Values that binary floating point holds only approximately (14.53 x 100 is
// 1452.999...) read back to their integers at both ends of each range.
TEST(JobFile, FixedPointValuesReadBackToTheSameIntegers) {
  TempDir dir;
  const std::vector<LensSettings> table = {
      {kMinLensLpiX, false, kMinNativeDpi, -kMaxPhaseX10000, 1, 1, Sampling::Nearest},
      {601234, false, 600, -1, 1453, 1729, Sampling::Nearest},
      {212501, true, kNearest300Dpi, 1, 1001, 9999, Sampling::Area},
      {kMaxLensLpiX - 1, false, kMaxNativeDpi, kMaxPhaseX10000, kMaxPictureCmX100, 99999, Sampling::Area},
  };
  for (const LensSettings& lens : table) {
    Job job;
    job.lens = lens;
    SaveJobFile(job, dir / "lens.vexaro");
    EXPECT_EQ(LoadJobFile(dir / "lens.vexaro").lens, lens) << lens.LensLpiX;
  }
  // Typed by hand, only the required fields and the lens: the decimals read
  // to their integers and every other field keeps its start value.
  Job expected;
  expected.frames = {JobFrame{2, dir / "a.jpg", "", {}, std::nullopt, {}}};
  expected.lens = LensSettings{601234, false, 720, 7, 1453, 29, Sampling::Nearest};
  EXPECT_EQ(JobFromJson(R"({"format": "vexaro-job", "version": 1, "frames": [{"slot": 2, "path": "a.jpg"}],
      "lens": {"lpi": 60.1234, "width_cm": 14.53, "height_cm": 0.29, "phase": 0.0007, "dpi": 720.0}})",
                        dir / "typed.vexaro"),
            expected);
}

// A plain picture's project is written as it was before press output
// existed, and a press output typed in part keeps the other start values.
TEST(JobFile, ThePressOutputIsWrittenOnlyWhenItIsNotThePlainOne) {
  TempDir dir;
  Job plain;
  plain.output.path = "out.bmp";
  SaveJobFile(plain, dir / "plain.vexaro");
  EXPECT_EQ(ReadText(dir / "plain.vexaro").find("press"), std::string::npos);
  const Job typed = JobFromJson(R"({"format": "vexaro-job", "version": 1, "frames": [],
      "output": {"path": "o.tif", "press": {"cmyk": true, "bleed_mm": 3}}})",
                                dir / "typed.vexaro");
  PressOutput expected;
  expected.cmyk = true;
  expected.bleed_mm = 3;
  EXPECT_EQ(typed.output.press, expected);
}

TEST(JobFile, PhotoPathsFollowTheProjectFolder) {
  TempDir dir;
  fs::create_directories(dir.path() / "project/photos");
  fs::create_directory(dir.path() / "elsewhere");
  Job job;
  for (const char* name : {"a.jpg", "b.jpg"}) {
    const std::string photo = dir / (std::string("project/photos/") + name);
    WriteText(photo, "photo");
    job.frames.push_back(JobFrame{static_cast<int>(job.frames.size()) + 1, photo, "", {}, std::nullopt, {}});
  }
  SaveJobFile(job, dir / "project/job.vexaro");
  EXPECT_NE(ReadText(dir / "project/job.vexaro").find("\"path\": \"photos/a.jpg\""), std::string::npos);

  // The folder moved as a whole: the relative paths find the photos there.
  fs::rename(dir.path() / "project", dir.path() / "moved");
  const Job moved = LoadJobFile(dir / "moved/job.vexaro");
  EXPECT_EQ(moved.frames[0].path, dir / "moved/photos/a.jpg");
  EXPECT_EQ(moved.frames[1].path, dir / "moved/photos/b.jpg");

  // The file moved alone: the absolute paths find them where they were.
  fs::rename(dir.path() / "moved", dir.path() / "project");
  fs::rename(dir.path() / "project/job.vexaro", dir.path() / "elsewhere/job.vexaro");
  EXPECT_EQ(LoadJobFile(dir / "elsewhere/job.vexaro").frames, job.frames);
}

// A job that would not open again is not written, and an existing file stays.
TEST(JobFile, SaveRefusesWhatOpeningWouldRefuse) {
  TempDir dir;
  const std::string path = dir / "job.vexaro";
  SaveJobFile(Job{}, path);
  const std::string before = ReadText(path);
  struct Case {
    const char* name;
    std::function<void(Job&)> spoil;
    const char* problem;
  };
  const std::vector<Case> table = {
      {"slot 0", [](Job& j) { j.frames[0].slot = 0; }, "a photo is numbered 0"},
      {"same slot", [](Job& j) { j.frames[1].slot = 1; }, "photo 1 is named twice"},
      {"bad hash", [](Job& j) { j.frames[0].hash = "ABC"; }, "fingerprint of photo 1 is not 16 hex digits"},
      {"crop beside", [](Job& j) { j.frames[1].crop = Rect{100, 0, 150, 50}; }, "crop of photo 2 lies outside its 100 x 80"},
      {"steps unmerged", [](Job& j) { j.merged = false; }, "finishing steps but no merged picture"},
      {"long text", [](Job& j) { j.pending_text->text.assign(5000, 'x'); }, "pending text is longer than 4096"},
      {"printer too fine", [](Job& j) { j.printer.dpi = 9601; }, "printer resolution is outside 0 to 9600 dpi"},
      {"bleed too wide", [](Job& j) { j.output.press.bleed_mm = 21; }, "the bleed is outside 0 to 20 mm"},
  };
  for (const Case& c : table) {
    Job job;
    job.frames = {JobFrame{1, dir / "a.jpg", "", {100, 80}, std::nullopt, {}},
                  JobFrame{2, dir / "b.jpg", "", {100, 80}, std::nullopt, {}}};
    job.merged = true;
    job.finishing = {{FinishingStep::Kind::BurnText, Text("hi", kRed, Point{})}};
    job.pending_text = Text("hi", kRed, Point{});
    c.spoil(job);
    const std::string error = ErrorOf([&] { SaveJobFile(job, path); });
    EXPECT_NE(error.find("Cannot save the project \"" + path + "\": "), std::string::npos) << c.name << ": " << error;
    EXPECT_NE(error.find(c.problem), std::string::npos) << c.name << ": " << error;
    EXPECT_EQ(ReadText(path), before) << c.name;
  }
}

// ---- bad files ------------------------------------------------------------

std::string Frame(int slot, const std::string& more = "") {
  return "{\"slot\": " + std::to_string(slot) + ", \"path\": \"a.jpg\"" + more + "}";
}
std::string Project(const std::string& frames, const std::string& more = "") {
  return R"({"format": "vexaro-job", "version": 1, "frames": [)" + frames + "]" + more + "}";
}
std::string TwoFrames() { return Frame(1) + ", " + Frame(2); }
std::string WithLens(const std::string& lens) { return Project(TwoFrames(), ", \"lens\": {" + lens + "}"); }
std::string WithText(const std::string& font) {
  return Project(TwoFrames(), R"(, "text": {"text": "hi", "font": {)" + font + "}}");
}

// Makes the file (or names a thing that is not one) and returns the path to open.
using Maker = std::function<std::string(const TempDir&, const std::string& name)>;

Maker Content(const std::string& text) {
  return [text](const TempDir& dir, const std::string& name) {
    WriteText(dir / name, text);
    return dir / name;
  };
}

TEST(JobFile, BadFilesAreRefusedNamingTheFileAndTheProblem) {
  std::string frames17;
  for (int slot = 1; slot <= 17; ++slot) frames17 += (slot > 1 ? ", " : "") + Frame(slot % 16 + 1);
  const std::string deep = std::string(10000, '[') + std::string(10000, ']');
  struct Case {
    const char* name;
    Maker make;
    const char* problem;
  };
  const std::vector<Case> table = {
      {"not-json", Content("this is not a project"), "it is not valid JSON (parse error at line 1, column 2"},
      {"truncated", Content(Project(TwoFrames()).substr(0, 60)), "it is not valid JSON"},
      {"empty", Content(""), "it is empty"},
      {"other-format", Content(R"({"format": "other", "version": 1, "frames": []})"), "not a Vexaro Photo Maker project"},
      {"no-format", Content(R"({"version": 1, "frames": []})"), "not a Vexaro Photo Maker project"},
      {"newer", Content(R"({"format": "vexaro-job", "version": 2, "frames": []})"),
       "it was made by a newer version of Vexaro Photo Maker (project version 2)"},
      {"version-0", Content(R"({"format": "vexaro-job", "version": 0, "frames": []})"), "\"version\" is 0, not a version"},
      {"version-text", Content(R"({"format": "vexaro-job", "version": "1", "frames": []})"), "\"version\" is not a version"},
      {"no-frames", Content(R"({"format": "vexaro-job", "version": 1})"), "\"frames\" is missing"},
      {"frames-object", Content(R"({"format": "vexaro-job", "version": 1, "frames": {}})"), "\"frames\" is not a list"},
      {"frame-number", Content(Project("5")), "\"frames[0]\" is not an object"},
      {"no-slot", Content(Project(R"({"path": "a.jpg"})")), "\"frames[0].slot\" is missing"},
      {"slot-0", Content(Project(Frame(0))), "\"frames[0].slot\" is 0, outside 1 to 16"},
      {"slot-17", Content(Project(Frame(1) + ", " + Frame(17))), "\"frames[1].slot\" is 17, outside 1 to 16"},
      {"slot-twice", Content(Project(Frame(3) + ", " + Frame(3))), "photo 3 is named twice"},
      {"frames-17", Content(Project(frames17)), "it has 17 frames, more than 16"},
      {"absolute-relative", Content(Project(R"({"slot": 1, "absolute_path": "photos/a.jpg"})")),
       "\"frames[0].absolute_path\" is not an absolute path"},
      {"lpi-0", Content(WithLens(R"("lpi": 0)")), "\"lens.lpi\" is 0, outside 5 to 300"},
      {"lpi-1e9", Content(WithLens(R"("lpi": 1e9)")), "outside 5 to 300"},
      {"dpi-1e9", Content(WithLens(R"("dpi": 1e9)")), "\"lens.dpi\" is 1000000000.0, outside 72 to 4800"},
      {"dpi-10", Content(WithLens(R"("dpi": 10)")), "\"lens.dpi\" is 10, outside 72 to 4800"},
      {"phase-2", Content(WithLens(R"("phase": 2)")), "\"lens.phase\" is 2, outside -0.5 to 0.5"},
      {"width-negative", Content(WithLens(R"("width_cm": -14.5)")), "\"lens.width_cm\" is -14.5, outside 0.01 to 1000"},
      {"lpi-text", Content(WithLens(R"("lpi": "21.25")")), "\"lens.lpi\" is not a number"},
      {"slot-text", Content(Project(R"({"slot": "1", "path": "a.jpg"})")), "\"frames[0].slot\" is not a whole number"},
      {"number-overflow", Content(WithLens(R"("lpi": 1e400)")), "it is not valid JSON (number overflow"},
      {"crop-width-negative", Content(Project(Frame(1, R"(, "crop": {"left": 0, "top": 0, "width": -5, "height": 9})"))),
       "\"frames[0].crop.width\" is -5, outside 1 to 1048576"},
      {"crop-beside-photo",
       Content(Project(Frame(1, R"(, "width": 100, "height": 80, "crop": {"left": 100, "top": 0, "width": 50, "height": 50})"))),
       "the crop of photo 1 lies outside its 100 x 80 pixels"},
      {"shift-text", Content(Project(Frame(1, R"(, "shift": {"x": "3", "y": 0})"))), "\"frames[0].shift.x\" is not a number"},
      {"shift-far", Content(Project(Frame(1, R"(, "shift": {"x": 0, "y": -2e6})"))),
       "\"frames[0].shift.y\" is -2000000.0, outside -1.04858e+06 to 1.04858e+06"},
      {"turn-far", Content(Project(Frame(1, R"(, "turn": {"angle": 90, "scale": 1})"))),
       "\"frames[0].turn.angle\" is 90, outside -45 to 45"},
      {"scale-0", Content(Project(Frame(1, R"(, "turn": {"angle": 1, "scale": 0})"))),
       "\"frames[0].turn.scale\" is 0, outside 0.5 to 2"},
      {"hash-short", Content(Project(Frame(1, R"(, "xxh3": "abc")"))), "\"frames[0].xxh3\" is not 16 hex digits"},
      {"unknown-step", Content(Project(TwoFrames(), R"(, "merged": true, "finishing": [{"step": "wobble"}])")),
       "\"finishing[0].step\" is \"wobble\", not one of \"text\", \"turn\", \"bars-on\", \"bars-off\""},
      {"steps-unmerged", Content(Project(TwoFrames(), R"(, "finishing": [{"step": "turn"}])")),
       "it has finishing steps but no merged picture"},
      {"colour-short", Content(WithText(R"("color": "#12345")")), "\"text.font.color\" is \"#12345\", not a colour"},
      {"colour-signed", Content(WithText(R"("color": "#-1-2-3")")), "is \"#-1-2-3\", not a colour"},
      {"colour-spaced", Content(WithText(R"("color": "# 1 2 3")")), "is \"# 1 2 3\", not a colour"},
      {"bleed-negative", Content(Project(TwoFrames(), R"(, "output": {"press": {"bleed_mm": -1}})")),
       "\"output.press.bleed_mm\" is -1, outside 0 to 20"},
      {"intent-unknown", Content(Project(TwoFrames(), R"(, "output": {"press": {"intent": "saturation"}})")),
       "\"output.press.intent\" is \"saturation\", not one of \"perceptual\", \"relative\""},
      {"cmyk-text", Content(Project(TwoFrames(), R"(, "output": {"press": {"cmyk": "yes"}})")),
       "\"output.press.cmyk\" is not true or false"},
      {"nul-in-path", Content(Project(R"({"slot": 1, "path": "a\u0000.jpg"})")), "\"frames[0].path\" holds a NUL character"},
      {"long-path", Content(Project("{\"slot\": 1, \"path\": \"" + std::string(100000, 'p') + "\"}")),
       "\"frames[0].path\" is longer than 4096 bytes"},
      {"deep", Content(deep), "it is nested deeper than 32 levels"},
      {"huge",
       [](const TempDir& dir, const std::string& name) {
         WriteText(dir / name, Project(TwoFrames()));
         fs::resize_file(dir / name, uint64_t{100} << 20);  // sparse: nothing written
         return dir / name;
       },
       "it is larger than 4 MB"},
      {"folder",
       [](const TempDir& dir, const std::string& name) {
         fs::create_directory(dir / name);
         return dir / name;
       },
       "it is a folder, not a project file"},
      {"device", [](const TempDir&, const std::string&) { return std::string("/dev/zero"); }, "it is not a regular file"},
      {"missing", [](const TempDir& dir, const std::string& name) { return dir / name; }, "no such file or directory"},
  };
  TempDir dir;
  for (const Case& c : table) {
    const std::string path = c.make(dir, std::string(c.name) + ".vexaro");
    const auto start = std::chrono::steady_clock::now();
    const std::string error = ErrorOf([&] { (void)LoadJobFile(path); });
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(error.rfind("Cannot open the project \"" + path + "\": ", 0), 0u) << c.name << ": " << error;
    EXPECT_NE(error.find(c.problem), std::string::npos) << c.name << ": " << error;
    EXPECT_EQ(error.back(), '.') << c.name;
    EXPECT_LT(seconds, 1.0) << c.name;
  }
}

// A project written before frames were aligned (a whole-pixel "shift" or
// none, no "turn") reads as placed then: moved by those pixels, not turned.
TEST(JobFile, PlacementsOfEarlierFilesReadAsTheyWere) {
  TempDir dir;
  WriteText(dir / "old.vexaro", Project(Frame(1, R"(, "shift": {"x": 4, "y": -2})") + ", " + Frame(2)));
  const Job job = LoadJobFile(dir / "old.vexaro");
  EXPECT_EQ(job.frames[0].placement, (FramePlacement{4, -2, 0, 1}));
  EXPECT_EQ(job.frames[1].placement, FramePlacement{});
  // A frame as framed writes neither, so its file stays as before.
  SaveJobFile(job, dir / "again.vexaro");
  const std::string text = ReadText(dir / "again.vexaro");
  EXPECT_EQ(text.find("\"turn\""), std::string::npos);
  EXPECT_EQ(text.find("\"shift\""), text.rfind("\"shift\""));
}

// Every input the fuzzer found is replayed: refused cleanly, or a job that
// writes and reads back unchanged.
TEST(JobFile, FuzzFindingsFailCleanlyOrReadBack) {
  for (const auto& entry : fs::directory_iterator(fs::path(LENTI_TEST_DATA_DIR) / "fuzz")) {
    if (entry.path().extension() != kJobFileExtension) continue;
    SCOPED_TRACE(entry.path().filename().string());
    const std::string text = ReadText(entry.path().string());
    try {
      const Job job = JobFromJson(text, "/fuzz/job.vexaro");
      EXPECT_EQ(JobFromJson(JobToJson(job, "/fuzz/job.vexaro"), "/fuzz/job.vexaro"), job);
    } catch (const Error&) {
      // A clean refusal.
    }
  }
}

}  // namespace
}  // namespace lenti
