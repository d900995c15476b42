// A print job as a value: the framed photos, the Mode, the lens, the
// finishing steps in the order they were applied, the output and the
// printer. The window's current picture, `vexaro merge` and `vexaro run`
// are all renderings of one of these (render/render_job.h); a project file
// (job/job_file.h) stores one. It lives in core so that the state can
// record the finishing steps and the job its picture was made from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/color.h"
#include "core/geometry.h"
#include "core/lens_settings.h"
#include "core/printer_profile.h"

namespace lenti {

inline constexpr int kSlotCount = 16;

// Upright strips in rows ("portrait") or across in columns ("landscape").
enum class Mode { PortraitRows, LandscapeColumns };

// Where a frame's crop lies on its photo once aligned: the crop moved by
// (shift_x, shift_y) source pixels, then turned by `angle` degrees
// counter-clockwise as the photo is seen and scaled by `scale` about its
// moved centre (a scale above 1 takes in more of the photo). The frame
// keeps the crop's size in the merge. Frame alignment sets it; the default
// is the crop as framed.
struct FramePlacement {
  double shift_x = 0;
  double shift_y = 0;
  double angle = 0;
  double scale = 1;
  friend bool operator==(const FramePlacement&, const FramePlacement&) = default;
};

struct JobFrame {
  // The number the person knows the photo by (its slot, or its place on the
  // command line), 1..16; named in error texts. The frame's place in the
  // merge is its place in Job::frames.
  int slot = 1;
  std::string path;         // the photo, as found on this machine
  std::string hash;         // xxh3-64 of the file's bytes in 16 hex digits; empty: unknown
  Size pixels;              // the photo as viewed (orientation applied); 0 x 0: unknown
  std::optional<Rect> crop;  // source pixels; absent: the crop frame's default rectangle
  FramePlacement placement;
  friend bool operator==(const JobFrame&, const JobFrame&) = default;
};

// A line of text: what, in which font and colour, where on the picture.
struct JobText {
  std::string text;
  Font font;
  Point at{100, 100};
  friend bool operator==(const JobText&, const JobText&) = default;
};

// One finishing command, applied to the merged picture as it stood.
struct FinishingStep {
  enum class Kind {
    BurnText,   // the pending text drawn into the picture for good (a Rotate does this first)
    Turn,       // a quarter turn counter-clockwise
    BarsOn,     // the alignment band added
    BarsOff,    // exactly that band removed again
  };
  Kind kind = Kind::Turn;
  JobText text;  // BurnText only
  friend bool operator==(const FinishingStep&, const FinishingStep&) = default;
};

// How colours the press cannot make are brought into its gamut.
enum class PressIntent {
  Perceptual,            // the whole picture compressed into the gamut: photographs
  RelativeColorimetric,  // in-gamut colours exact, the rest clipped; black point compensated
};

// What a print shop needs beyond the picture. The defaults change nothing:
// the picture is written as it always was.
struct PressOutput {
  bool cmyk = false;        // a TIFF picture in CMYK through `profile`
  std::string profile;      // the press's ICC output profile; empty: the default one
  PressIntent intent = PressIntent::Perceptual;
  double bleed_mm = 0;      // 0..20 on every side
  bool marks = false;       // crop and registration marks and a job line on the PDF and the print
  bool black_text = false;  // the pending text in black ink only
  friend bool operator==(const PressOutput&, const PressOutput&) = default;
};

struct JobOutput {
  std::string path;  // the picture; its type follows the extension (.bmp, .tif, .png)
  std::string pdf;   // also printed to this PDF file when not empty
  PressOutput press;
  friend bool operator==(const JobOutput&, const JobOutput&) = default;
};

struct Job {
  std::vector<JobFrame> frames;  // 2..16 to render; fewer while framing
  Mode mode = Mode::PortraitRows;
  LensSettings lens;
  // A merged picture belongs to the job: `finishing` applies to it, and
  // the window shows it again on opening.
  bool merged = false;
  std::vector<FinishingStep> finishing;
  // Text applied but not yet burned in: Save and Print draw it.
  std::optional<JobText> pending_text;
  JobOutput output;
  PrinterProfile printer;
  friend bool operator==(const Job&, const Job&) = default;
};

}  // namespace lenti
