#include "render/render_job.h"

#include <filesystem>
#include <utility>

#include "delivery/pdf_printer.h"
#include "delivery/picture_file.h"
#include "delivery/press_print.h"
#include "delivery/press_save.h"
#include "delivery/print.h"
#include "delivery/save.h"
#include "finishing/align_bars.h"
#include "finishing/rotation.h"
#include "finishing/text_overlay.h"
#include "intake/crop_frame.h"
#include "intake/photo_source.h"
#include "interlace/merge.h"
#include "interlace/merge_pipeline.h"
#include "interlace/native_geometry.h"
#include "interlace/slot_job.h"

namespace lenti {

namespace {

MergeResult MergeFrames(const Job& job, const RenderOptions& options) {
  const int32_t frame_count = static_cast<int32_t>(job.frames.size());
  const LensGeometry geometry = ComputeLensGeometry(frame_count, job.lens, job.mode);
  MergeRequest request = RequestForJob(job, geometry, [](const JobFrame& frame) { return frame.path; });
  request.open = OpenPhotoSource;
  request.default_rect = [ratio = CropRatioFor(job.lens, job.mode)](Size photo) {
    return DefaultSourceRect(photo, ratio);
  };
  request.threads = options.threads;
  request.cancel = options.cancel;

  MergeResult result = ResultFor(job, frame_count, geometry);
  MergeProgress steps;
  if (options.frame_done) steps.frame_done = [&options](int) { options.frame_done(); };
  result.merged = RunMergePipeline(request, steps);
  if (options.frame_done) options.frame_done();
  result.source = job;
  result.source.merged = true;
  result.source.finishing.clear();
  result.source.pending_text.reset();
  return result;
}

}  // namespace

void ApplyFinishingStep(MakerState& state, const FinishingStep& step) {
  switch (step.kind) {
    case FinishingStep::Kind::BurnText:
      SetPendingText(state, step.text);
      BurnPendingText(state);
      break;
    case FinishingStep::Kind::Turn:
      TurnMerged(state);
      break;
    case FinishingStep::Kind::BarsOn:
    case FinishingStep::Kind::BarsOff:
      SetAlignBars(state, step.kind == FinishingStep::Kind::BarsOn);
      break;
  }
}

MakerState RenderJob(const Job& job, const RenderOptions& options) {
  MakerState state;
  state.photos.FrameCount = static_cast<int32_t>(job.frames.size());
  state.lens = job.lens;
  AdoptMergeResult(state, MergeFrames(job, options));
  for (const FinishingStep& step : job.finishing) ApplyFinishingStep(state, step);
  if (job.pending_text) SetPendingText(state, *job.pending_text);
  state.output = job.output;
  state.printer.PrinterDpi = job.printer.dpi;
  return state;
}

void DeliverRendering(MakerState& state, const Job& job, const std::string& path) {
  SavePressPicture(state, job.output.press, path);
  state.output.path = path;
  state.merged.Delivered = true;
  if (job.output.pdf.empty()) return;
  // A PDF printer of no chosen resolution prints at 600 dpi, as `vexaro merge --pdf` does.
  PdfPrinter printer(job.output.pdf, PageSizeByName(job.printer.page), job.printer.dpi > 0 ? job.printer.dpi : 600);
  state.printer.PrinterDpi = printer.DpiX();
  if (NeedsPressPage(job.output.press)) {
    PrintPressPage(state, job.output.press, std::filesystem::path(path).filename().string(), printer, PageSizeByName(job.printer.page));
    return;
  }
  PrintMergedBitmap(state, printer);
}

}  // namespace lenti
