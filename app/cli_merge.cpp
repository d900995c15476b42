#include "app/cli_merge.h"

#include <exception>
#include <new>
#include <utility>
#include <vector>

#include "align/align_job.h"
#include "core/content_hash.h"
#include "core/error.h"
#include "core/numerics.h"
#include "delivery/press_profile.h"
#include "delivery/press_save.h"
#include "intake/crop_frame.h"
#include "intake/photo_source.h"
#include "interlace/lens_input.h"
#include "interlace/merge_pipeline.h"
#include "interlace/native_geometry.h"
#include "job/job_file.h"
#include "render/render_job.h"

namespace lenti::cli {

namespace {

std::string Summary(const MakerState& state, const std::string& output, const std::string& pdf) {
  const Raster& picture = *state.merged.MergedBitmap;
  const MergeGeometry& g = state.merged.Geometry;
  // Whole strips name their strip; a periodic layout its lens period first.
  std::string strips = Format("strip %d px", g.StripWidth);
  if (g.layout == LensLayout::Periodic) {
    const auto whole = WholeStripWidth(g.OutputDpiX, g.LensLpiX, g.FrameCount);
    strips = PixelsText(LensPeriodPx(g)) + " px per lens" + (whole ? Format(", strip %d px", *whole) : "");
  }
  std::string line = Format("merged %d frames: %d x %d px, %s dpi, %s -> %s", g.FrameCount, picture.Width(),
                            picture.Height(), FloatToStr(static_cast<Extended>(g.OutputDpiX) / 10000).c_str(),
                            strips.c_str(), output.c_str());
  if (!pdf.empty()) line += ", " + pdf;
  return line;
}

// What a press output adds to the summary: "(CMYK, bleed 35 px)".
std::string PressSummary(const MakerState& state, const PressOutput& press) {
  std::vector<std::string> parts;
  if (press.cmyk) parts.push_back(std::string("CMYK, ") + (press.intent == PressIntent::Perceptual ? "perceptual" : "relative"));
  if (const int32_t bleed = MergedBleedPixels(state, press); bleed > 0) parts.push_back(Format("bleed %d px", bleed));
  if (press.marks) parts.push_back("marks");
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? " (" : ", ") + part;
  return text.empty() ? text : text + ")";
}

// One step per photo, one for the interleave.
RenderOptions OptionsWith(const Job& job, unsigned threads, const ProgressFunction& progress, int& done) {
  RenderOptions options;
  options.threads = threads;
  const int total = static_cast<int>(job.frames.size()) + 1;
  if (progress) options.frame_done = [&done, total, progress] { progress(++done, total); };
  return options;
}

// The job's picture, delivered to `output`; the summary line.
std::string RenderAndDeliver(const Job& job, const std::string& output, const ProgressFunction& progress) {
  int done = 0;
  MakerState state = RenderJob(job, OptionsWith(job, MachineThreads(), progress, done));
  DeliverRendering(state, job, output);
  return Summary(state, output, job.output.pdf) + PressSummary(state, job.output.press);
}

FinishingStep Step(FinishingStep::Kind kind) { return FinishingStep{kind, {}}; }

}  // namespace

Job JobOfArgs(const MergeArgs& args) {
  Job job;
  job.mode = args.mode;
  job.lens = LensOf(args);
  // --reverse: the last photo becomes the first frame. Each keeps its own
  // number (its --crop, the photo named in an error) as given.
  for (size_t k = 0; k < args.photos.size(); ++k) {
    const size_t i = args.reverse ? args.photos.size() - 1 - k : k;
    JobFrame frame;
    frame.slot = static_cast<int>(i) + 1;
    frame.path = args.photos[i];
    if (const auto crop = args.crops.find(frame.slot); crop != args.crops.end()) frame.crop = crop->second;
    job.frames.push_back(std::move(frame));
  }
  // The window's order: the Align-Bar band is added to the merged picture
  // when the box is ticked, the pending text is burned in at Save or before
  // a turn, so the text lies over the band where they meet.
  job.merged = true;
  if (args.align_bars) job.finishing.push_back(Step(FinishingStep::Kind::BarsOn));
  if (args.text && args.press.black_text) {
    // Black ink only needs the text apart from the picture until the file
    // is written: it stays pending (the same pixels a burn-in gives).
    job.pending_text = JobText{*args.text, args.font, args.text_at};
  } else if (args.text) {
    FinishingStep text = Step(FinishingStep::Kind::BurnText);
    text.text = JobText{*args.text, args.font, args.text_at};
    job.finishing.push_back(std::move(text));
  }
  for (int turn = 0; turn < args.quarter_turns; ++turn) job.finishing.push_back(Step(FinishingStep::Kind::Turn));
  job.output.path = args.output;
  job.output.press = args.press;
  if (args.pdf) {
    job.output.pdf = *args.pdf;
    job.printer = args.printer;
  }
  return job;
}

Job ResolvedJob(Job job) {
  const CropRatio ratio = CropRatioFor(job.lens, job.mode);
  for (JobFrame& frame : job.frames) {
    const Size pixels = OpenPhotoSource(frame.path)->PixelSize();
    frame.pixels = pixels;
    frame.hash = FileContentHash(frame.path);
    if (!frame.crop) frame.crop = DefaultSourceRect(pixels, ratio);
  }
  return job;
}

MakerState MergePhotos(const MergeArgs& args, unsigned threads, const ProgressFunction& progress) {
  Job job = JobOfArgs(args);
  job.finishing.clear();
  int done = 0;
  return RenderJob(job, OptionsWith(job, threads, progress, done));
}

void ApplyFinishing(MakerState& state, const MergeArgs& args) {
  for (const FinishingStep& step : JobOfArgs(args).finishing) ApplyFinishingStep(state, step);
}

Job AlignedJobOfArgs(Job job, const AlignChoice& align, std::vector<std::string>& notes) {
  AlignSettings settings;
  settings.model = align.model;
  settings.reference_slot = align.reference;
  settings.subject = align.subject;
  AlignedJob aligned = AlignJob(ResolvedJob(std::move(job)), settings, MachineThreads());
  for (const FrameOutcome& outcome : aligned.outcomes) {
    if (!outcome.alignment) notes.push_back(outcome.problem + "; its crop stays as it was");
  }
  return std::move(aligned.job);
}

std::string RunMerge(const MergeArgs& args, const ProgressFunction& progress, std::vector<std::string>* notes) {
  // A bad press profile is refused before any photo is read.
  if (args.press.cmyk) PressProfile::Load(args.press.profile);
  Job job = JobOfArgs(args);
  if (args.align) {
    std::vector<std::string> problems;
    job = AlignedJobOfArgs(std::move(job), *args.align, problems);
    if (notes != nullptr) notes->insert(notes->end(), problems.begin(), problems.end());
  }
  if (!args.save_job.empty()) {
    job = ResolvedJob(std::move(job));
    SaveJobFile(job, args.save_job);
    if (args.output.empty()) return Format("saved the job of %zu frames -> %s", job.frames.size(), args.save_job.c_str());
  }
  std::string line = RenderAndDeliver(job, args.output, progress);
  if (!args.save_job.empty()) line += ", job " + args.save_job;
  return line;
}

std::string FrameFitWarning(const Job& job) {
  const auto frames = static_cast<int32_t>(job.frames.size());
  try {
    const std::string text = TooFewPixelsText(ComputeLensGeometry(frames, job.lens, job.mode).period, frames);
    return text.empty() ? "" : "vexaro: warning: " + text + "\n";
  } catch (const Error&) {
    return "";
  }
}

bool RunJobs(const RunArgs& args, std::ostream& out, std::ostream& err, const ProgressFunction& progress) {
  bool all_made = true;
  for (const std::string& path : args.jobs) {
    try {
      const Job job = LoadJobFile(path);
      const std::string output = args.output.empty() ? job.output.path : args.output;
      if (output.empty()) throw Error(Format("the job \"%s\" names no output; give -o OUT", path.c_str()));
      if (job.frames.size() < 2) throw Error(Format("the job \"%s\" has %zu frames; a merge needs 2 to 16", path.c_str(), job.frames.size()));
      err << FrameFitWarning(job);
      out << RenderAndDeliver(job, output, progress) << "\n";
    } catch (const std::bad_alloc&) {
      err << "vexaro: " << path << ": Out of memory\n";
      all_made = false;
    } catch (const std::exception& e) {
      err << "vexaro: " << path << ": " << e.what() << "\n";
      all_made = false;
    }
  }
  return all_made;
}

}  // namespace lenti::cli
