// The command line of `vexaro`, parsed: argv in, a command or a usage error
// out. Pure: no I/O, no exit, no exception escapes (it is fuzzed).
//
//   vexaro merge -o OUT.bmp [--mode portrait|landscape] [--lpi 21.25]
//                [--dpi D] [--phase F] [--size WxH] [--sampling nearest|area]
//                [--crop K=L,T,W,H]... [--text TEXT [--font "FAMILY:SIZE[:bold][:italic]"]
//                [--text-at X,Y]] [--rotate N] [--align-bars] [--reverse]
//                [--pdf OUT.pdf [--page A4|A3|Letter] [--printer-dpi N] [--marks]]
//                [--cmyk PROFILE.icc|default [--intent perceptual|relative] [--black-text]]
//                [--bleed MM]
//                PHOTO1 PHOTO2 [... PHOTO16]
//   vexaro run JOB.vexaro [MORE.vexaro ...] [-o OUT]
//   vexaro chart -o OUT.bmp [--paper A4|A3|8x10] [--dpi 1200] [--lpi 40] [--cmyk PROFILE.icc|default]
//   vexaro view MERGED --lpi L [--mode portrait|landscape] [--dpi D] [--phase F]
//               (--angle A -o VIEW.bmp | --frames N -o DIR/)
//   vexaro align [--reference K] [--subject X,Y] [--model translation|similarity]
//                PHOTO1 PHOTO2 [... PHOTO16]
// and merge takes [--align auto|subject:X,Y [--align-model translation|similarity]].
//
// Options take their value as the next argument or after "=" (--lpi=40);
// "--" ends the options.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "align/frame_alignment.h"
#include "core/color.h"
#include "core/geometry.h"
#include "core/lens_pitch.h"
#include "core/lens_settings.h"
#include "core/maker_state.h"

namespace lenti::cli {

inline constexpr int kMinPhotos = 2;
inline constexpr int kMaxPhotos = kSlotCount;

// How the frames are aligned: to the reference photo's content over its
// crop, or on a key subject at a point of the reference's pixels.
struct AlignChoice {
  std::optional<AlignPoint> subject;  // absent: registration over the crop
  AlignModel model = AlignModel::Translation;
  int reference = 1;  // the photo the others are aligned to
};

struct MergeArgs {
  std::string output;
  Mode mode = Mode::PortraitRows;
  LensPitch lpi;  // 21.25
  // The Lens group's other settings, with its defaults: --dpi (absent:
  // nearest to 300 dpi), --phase, --size (upright, cm x 100), --sampling.
  int32_t output_dpi = kNearest300Dpi;
  int32_t phase_x10000 = 0;
  int32_t width_cm_x100 = kClassicWidthCmX100;
  int32_t height_cm_x100 = kClassicHeightCmX100;
  Sampling sampling = Sampling::Nearest;
  std::map<int, Rect> crops;    // slot (1-based) -> crop in source pixels
  std::optional<std::string> text;
  Font font;                    // "MS Sans Serif" 8 unless --font
  Point text_at{100, 100};
  int quarter_turns = 0;        // counter-clockwise, 0..3
  bool align_bars = false;
  std::optional<std::string> pdf;
  PrinterProfile printer{600, "A4"};  // --printer-dpi, --page
  std::vector<std::string> photos;  // photo k is photos[k - 1]
  // The frames in the reverse order of the photos (a 3D set shot the other
  // way round); --crop K still names photo K as given.
  bool reverse = false;
  // --save-job: the job of these options written as a project file.
  std::string save_job;
  // --cmyk, --intent, --bleed, --marks, --black-text: what a print shop takes.
  PressOutput press;
  // --align: each crop moved (turned, scaled) by its frame's alignment.
  std::optional<AlignChoice> align;
};

// `vexaro align`: where the reference's content lies in each photo.
struct AlignArgs {
  std::vector<std::string> photos;  // photo k is photos[k - 1]
  AlignChoice choice;
};

// `vexaro run JOB.vexaro [MORE.vexaro ...] [-o OUT]`.
struct RunArgs {
  std::vector<std::string> jobs;
  std::string output;  // one job only: replaces its output
};

// The lens settings the merge options give (FlipMode stays "Up-Down").
LensSettings LensOf(const MergeArgs& args);

struct ChartArgs {
  std::string output;
  PrinterProfile printer{1200, "A4"};  // --dpi, --paper
  LensPitch lpi = LensPitch::FromX10000(40 * LensPitch::kScale);
  // --cmyk: the chart as a CMYK TIFF in black ink only, this profile
  // embedded ("" the default press profile).
  std::optional<std::string> cmyk;
};

// The merged picture seen through a lens sheet: one view at --angle, or
// --frames N views at the angles (k + 0.5) / N.
struct ViewArgs {
  std::string picture;
  std::string output;  // the view, or with --frames a folder (or a name to number)
  Mode mode = Mode::PortraitRows;
  LensPitch lpi;
  std::optional<double> dpi;  // the file's recorded resolution unless given
  double phase = 0;           // lenses
  std::optional<double> angle;
  int frames = 0;             // 0: one view at `angle`
};

struct Command {
  enum class Kind { Merge, Run, Chart, View, Align, Help, Version };
  Kind kind = Kind::Help;
  // For Help (and a usage error): the command whose usage to show, or ""
  // for all of them.
  std::string topic;
  MergeArgs merge;
  RunArgs run;
  ChartArgs chart;
  ViewArgs view;
  AlignArgs align;
};

// Either a command or the text of the usage error (with the command it
// concerns, when one was named, so that only its usage follows).
struct ParseResult {
  std::optional<Command> command;
  std::string error;
  std::string topic;
};

// `args` are argv[1..].
ParseResult ParseArguments(const std::vector<std::string>& args);

// The usage printed after a usage error and for --help: one command's
// lines and options when `topic` names one (merge, chart, view, align), else the
// lines of all three.
std::string UsageText(const std::string& topic = "");

// What --version prints: the program's name and version.
std::string VersionText();

}  // namespace lenti::cli
