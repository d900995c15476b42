#include "app/cli_merge.h"

#include <memory>
#include <utility>

#include "delivery/picture_file.h"
#include "core/error.h"
#include "core/numerics.h"
#include "delivery/pdf_printer.h"
#include "delivery/print.h"
#include "finishing/align_bars.h"
#include "finishing/rotation.h"
#include "finishing/text_overlay.h"
#include "intake/crop_frame.h"
#include "intake/photo_source.h"
#include "interlace/merge.h"
#include "interlace/lens_input.h"
#include "interlace/merge_pipeline.h"
#include "interlace/native_geometry.h"

namespace lenti::cli {

namespace {

MergeRequest RequestFor(const MergeArgs& args, const LensGeometry& geometry, unsigned threads) {
  MergeRequest request = RequestForLens(geometry, args.mode, args.sampling);
  request.open = OpenPhotoSource;
  // The crop frame's rectangle at the picture's ratio.
  request.default_rect = [ratio = CropRatioFor(LensOf(args), args.mode)](Size photo) {
    return DefaultSourceRect(photo, ratio);
  };
  request.threads = threads;
  // --reverse: the last photo becomes the first frame. Each keeps its own
  // number (its --crop, the photo named in an error) as given.
  for (size_t k = 0; k < args.photos.size(); ++k) {
    const size_t i = args.reverse ? args.photos.size() - 1 - k : k;
    const int slot = static_cast<int>(i) + 1;
    PipelineFrame frame{slot, args.photos[i], std::nullopt, ""};
    if (const auto crop = args.crops.find(slot); crop != args.crops.end()) frame.source_rect = crop->second;
    request.frames.push_back(std::move(frame));
  }
  return request;
}

void BurnText(MakerState& state, const MergeArgs& args) {
  state.overlay.OverlayText = *args.text;
  state.overlay.OverlayFont = std::make_shared<Font>(args.font);
  state.overlay.TextX = args.text_at.x;
  state.overlay.TextY = args.text_at.y;
  BurnOverlayText(state, *state.merged.MergedBitmap);
  // Burned in for good: the print must not draw it a second time.
  state.overlay.OverlayText.clear();
}

void PrintToPdf(MakerState& state, const MergeArgs& args) {
  PdfPrinter printer(*args.pdf, PageSizeByName(args.page), args.printer_dpi);
  state.printer.PrinterDpi = printer.DpiX();
  PrintMergedBitmap(state, printer);
}

std::string Summary(const MakerState& state, const MergeArgs& args) {
  const Raster& picture = *state.merged.MergedBitmap;
  const MergeGeometry& g = state.merged.Geometry;
  // A classic merge names its strip; a native one its lens period first.
  std::string strips = Format("strip %d px", g.StripWidth);
  if (g.Native) {
    strips = PixelsText(LensPeriodPx(g)) + " px per lens" + (g.StripWidth > 0 ? ", " + strips : "");
  }
  std::string line = Format("merged %d frames: %d x %d px, %s dpi, %s -> %s", g.FrameCount, picture.Width(),
                            picture.Height(), FloatToStr(static_cast<Extended>(g.OutputDpiX) / 10000).c_str(),
                            strips.c_str(), args.output.c_str());
  if (args.pdf) line += ", " + *args.pdf;
  return line;
}

}  // namespace

MakerState MergePhotos(const MergeArgs& args, unsigned threads, const ProgressFunction& progress) {
  MakerState state;
  state.photos.FrameCount = static_cast<int32_t>(args.photos.size());
  state.lens = LensOf(args);
  // Bad settings and a picture beyond memory are refused before any photo is read.
  const LensGeometry geometry = ComputeLensGeometry(state.photos.FrameCount, state.lens, args.mode);
  MergeResult result;
  result.frame_count = state.photos.FrameCount;
  result.lens_lpi_x = state.lens.LensLpiX;
  result.mode = args.mode;
  result.geometry = geometry.output;
  result.slice = geometry.slice;
  result.native_resolution = geometry.native_resolution;
  result.phase_x10000 = state.lens.PhaseX10000;

  // One step per photo, one for the interleave.
  const int total = state.photos.FrameCount + 1;
  int done = 0;
  const auto step = [&] {
    ++done;
    if (progress) progress(done, total);
  };
  MergeProgress steps;
  steps.frame_done = [&step](int) { step(); };
  result.merged = RunMergePipeline(RequestFor(args, geometry, threads), steps);
  step();
  AdoptMergeResult(state, std::move(result));
  return state;
}

// The window's order: the Align-Bar band is added to the merged picture
// when the box is ticked, the pending text is burned in at Save or before a
// turn, so the text lies over the band where they meet.
void ApplyFinishing(MakerState& state, const MergeArgs& args) {
  if (args.align_bars) AddAlignBand(state);
  if (args.text) BurnText(state, args);
  for (int turn = 0; turn < args.quarter_turns; ++turn) {
    *state.merged.MergedBitmap = RotateQuarterCounterClockwise(*state.merged.MergedBitmap);
  }
}

std::string RunMerge(const MergeArgs& args, const ProgressFunction& progress) {
  MakerState state = MergePhotos(args, MachineThreads(), progress);
  ApplyFinishing(state, args);
  SavePictureFile(*state.merged.MergedBitmap, args.output, static_cast<double>(state.merged.Geometry.OutputDpiX) / 10000);
  if (args.pdf) PrintToPdf(state, args);
  return Summary(state, args);
}

}  // namespace lenti::cli
