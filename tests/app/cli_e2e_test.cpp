// The real `vexaro` binary: exit status, the one line on stdout, and the
// exact message on stderr for each way a run can go wrong. No output file
// is left behind by a failed run.
#include <tiffio.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/bmp_reader.h"
#include "core/bmp_writer.h"
#include "core/file_io.h"
#include "core/jpeg.h"
#include "temp_dir.h"

#ifndef LENTI_VEXARO_BIN
#error "LENTI_VEXARO_BIN must name the built vexaro"
#endif

namespace lenti {
namespace {

namespace fs = std::filesystem;

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string ShellQuoted(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class VexaroBinary : public ::testing::Test {
 protected:
  VexaroBinary() {
    Raster photo(145, 175, PixelFormat::pf24bit);
    photo.FillRect(photo.ClipRect(), Color{200, 30, 30});
    const std::vector<uint8_t> jpeg = EncodeJpeg(photo, 90);
    WriteWholeFile(Path("a.jpg"), jpeg.data(), jpeg.size());
    photo.FillRect(photo.ClipRect(), Color{30, 30, 200});
    SaveBmpFile(photo, Path("b.BMP"));
    const std::string text = "shopping list";
    WriteWholeFile(Path("notes.jpg"), reinterpret_cast<const uint8_t*>(text.data()), text.size());
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  // Runs vexaro with stdout and stderr captured in files (not terminals).
  RunResult Vexaro(const std::vector<std::string>& args) const {
    std::string command = ShellQuoted(LENTI_VEXARO_BIN);
    for (const std::string& arg : args) command += " " + ShellQuoted(arg);
    command += " >" + ShellQuoted(Path("stdout")) + " 2>" + ShellQuoted(Path("stderr")) + " </dev/null";
    const int raw = std::system(command.c_str());
    RunResult run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = Slurp(Path("stdout"));
    run.err = Slurp(Path("stderr"));
    return run;
  }

  lenti::testing::TempDir temp_{"lenti-e2e"};
  std::string dir_ = temp_.path().string();
};

TEST_F(VexaroBinary, MergesTwoPhotosAndSaysSoOnOneLine) {
  const RunResult run = Vexaro({"merge", "-o", Path("out.bmp"), Path("a.jpg"), Path("b.BMP")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "merged 2 frames: 1698 x 2049 px, 297.5 dpi, strip 7 px -> " + Path("out.bmp") + "\n");
  EXPECT_EQ(run.err, "") << "no progress bar when stderr is no terminal";
  const Raster merged = LoadBmpFile(Path("out.bmp"));
  const Color from_jpeg = merged.PixelColor(10, 3);  // red, give or take the compression
  EXPECT_GT(from_jpeg.r, 180);
  EXPECT_LT(from_jpeg.b, 60);
  EXPECT_EQ(merged.PixelColor(10, 10), (Color{30, 30, 200}));
}

TEST_F(VexaroBinary, WritesTheCmykPictureWithBleedAndThePressPdf) {
  const RunResult run = Vexaro({"merge", "-o", Path("out.tif"), "--cmyk", "default", "--bleed", "3", "--align-bars",
                                "--pdf", Path("out.pdf"), "--marks", Path("a.jpg"), Path("b.BMP")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "merged 2 frames: 1754 x 2049 px, 297.5 dpi, strip 7 px -> " + Path("out.tif") + ", " +
                         Path("out.pdf") + " (CMYK, perceptual, bleed 35 px, marks)\n");
  TIFF* tif = TIFFOpen(Path("out.tif").c_str(), "r");
  ASSERT_NE(tif, nullptr);
  uint32_t width = 0, height = 0;
  uint16_t photometric = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
  TIFFClose(tif);
  EXPECT_EQ(photometric, PHOTOMETRIC_SEPARATED);
  EXPECT_EQ(width, 1698u + 56 + 2 * 35);  // the picture, its band, 3 mm at 297.5 dpi each side
  EXPECT_EQ(height, 2049u + 2 * 35);
  const std::string pdf = Slurp(Path("out.pdf"));
  EXPECT_NE(pdf.find("/TrimBox ["), std::string::npos);
  EXPECT_NE(pdf.find("/BleedBox ["), std::string::npos);
}

TEST_F(VexaroBinary, DrawsTheChart) {
  const RunResult run = Vexaro({"chart", "-o", Path("chart.bmp"), "--dpi", "300"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("chart 1535 x 2717 px, 300 dpi, LPI ", 0), 0u) << run.out;
  EXPECT_TRUE(fs::exists(Path("chart.bmp")));
}

// --version, and --help for one command or all of them; a usage error shows
// the usage of the command it concerns.
TEST_F(VexaroBinary, VersionAndEachCommandsOwnUsage) {
  EXPECT_EQ(Vexaro({"--version"}).out, "vexaro (Vexaro Photo Maker) 1.10\n");
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> shown, not_shown;
  };
  const std::vector<Case> cases{
      {{"merge", "--help"}, {"usage: vexaro merge", "--sampling", "--align-bars", "the picture: .bmp, .tif/.tiff or .png, with"}, {"vexaro chart", "vexaro view"}},
      {{"help", "chart"}, {"usage: vexaro chart", "--paper", "the chart: .bmp, .tif/.tiff or .png, 1 bit"}, {"vexaro merge", "vexaro view"}},
      {{"view", "-h"}, {"usage: vexaro view", "--frames"}, {"vexaro merge", "vexaro chart"}},
      {{"--help"}, {"usage: vexaro merge", "vexaro chart", "vexaro view", "--version"}, {}},
  };
  for (const Case& c : cases) {
    const RunResult run = Vexaro(c.args);
    EXPECT_EQ(run.status, 0) << c.args[0];
    for (const std::string& text : c.shown) EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
    for (const std::string& text : c.not_shown) EXPECT_EQ(run.out.find(text), std::string::npos) << text << "\n" << run.out;
  }
  const RunResult bad = Vexaro({"chart", "--dpi", "many", "-o", Path("c.bmp")});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("\nusage: vexaro chart"), std::string::npos) << bad.err;
  EXPECT_EQ(bad.err.find("vexaro merge"), std::string::npos) << bad.err;
}

struct Failure {
  const char* name;
  std::vector<std::string> args;  // "@x" names a file in the test folder
  int status;
  const char* first_line;         // how stderr's first line starts; "@x" as in args
  bool usage;                     // the usage text follows
};

class VexaroFails : public VexaroBinary, public ::testing::WithParamInterface<Failure> {
 protected:
  std::string Expand(const std::string& text) const {
    std::string out;
    size_t at = 0;
    while (true) {
      const size_t mark = text.find('@', at);
      if (mark == std::string::npos) return out + text.substr(at);
      size_t end = mark + 1;
      while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '.')) ++end;
      out += text.substr(at, mark - at) + Path(text.substr(mark + 1, end - mark - 1));
      at = end;
    }
  }
};

TEST_P(VexaroFails, WithTheRightStatusAndMessageAndNoOutputFile) {
  std::vector<std::string> args;
  for (const std::string& arg : GetParam().args) args.push_back(Expand(arg));
  const RunResult run = Vexaro(args);
  EXPECT_EQ(run.status, GetParam().status);
  EXPECT_EQ(run.out, "");
  const std::string first = run.err.substr(0, run.err.find('\n'));
  EXPECT_EQ(first.rfind(Expand(GetParam().first_line), 0), 0u) << first;
  EXPECT_EQ(run.err.find("\nusage: vexaro merge") != std::string::npos, GetParam().usage) << run.err;
  EXPECT_FALSE(fs::exists(Path("out.bmp")));
  EXPECT_FALSE(fs::exists(Path("out.tif")));
}

std::vector<std::string> Seventeen() {
  std::vector<std::string> args{"merge", "-o", "@out.bmp"};
  for (int i = 0; i < 17; ++i) args.push_back("@a.jpg");
  return args;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VexaroFails,
    ::testing::Values(
        Failure{"missing_file", {"merge", "-o", "@out.bmp", "@a.jpg", "@gone.jpg"}, 1,
                "vexaro: Cannot open file \"@gone.jpg\". No such file or directory", false},
        Failure{"not_a_photo", {"merge", "-o", "@out.bmp", "@a.jpg", "@notes.jpg"}, 1,
                "vexaro: File format error! \"@notes.jpg\" is not a JPEG, PNG, TIFF or BMP photo", false},
        Failure{"empty_crop_off_nothing", {"merge", "-o", "@out.bmp", "--crop", "2=0,0,0,5", "@a.jpg", "@b.BMP"}, 2,
                "vexaro: --crop 2=0,0,0,5: the width and height must be at least 1", true},
        Failure{"bad_crop", {"merge", "-o", "@out.bmp", "--crop", "1=0,0,10", "@a.jpg", "@b.BMP"}, 2,
                "vexaro: --crop must be K=L,T,W,H in whole numbers, not \"1=0,0,10\"", true},
        Failure{"one_photo", {"merge", "-o", "@out.bmp", "@a.jpg"}, 2,
                "vexaro: merge needs 2 to 16 photos, 1 given", true},
        Failure{"seventeen_photos", Seventeen(), 2, "vexaro: merge needs 2 to 16 photos, 17 given", true},
        Failure{"crop_beyond_memory", {"merge", "-o", "@out.bmp", "--crop", "1=0,0,99999,99999", "@a.jpg", "@b.BMP"}, 1,
                "vexaro: The crop rectangle of photo 1 is too large: 99999 x 99999 pixels", false},
        Failure{"damaged_press_profile", {"merge", "-o", "@out.tif", "--cmyk", "@notes.jpg", "@a.jpg", "@b.BMP"}, 1,
                "vexaro: The press profile \"@notes.jpg\" is damaged", false},
        Failure{"missing_press_profile", {"merge", "-o", "@out.tif", "--cmyk", "@gone.icc", "@a.jpg", "@b.BMP"}, 1,
                "vexaro: The press profile \"@gone.icc\" cannot be read", false},
        Failure{"bleed_too_wide", {"merge", "-o", "@out.tif", "--bleed", "25", "@a.jpg", "@b.BMP"}, 2,
                "vexaro: --bleed must lie between 0 and 20 mm, not 25", true},
        Failure{"unwritable_output", {"merge", "-o", "@notes.jpg/out.bmp", "@a.jpg", "@b.BMP"}, 1,
                "vexaro: Cannot create file", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lenti
