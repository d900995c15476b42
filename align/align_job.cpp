#include "align/align_job.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "core/error.h"
#include "intake/photo_source.h"

namespace lenti {

namespace {

size_t ReferenceIndex(const std::vector<int>& slots, int reference_slot) {
  const auto it = std::find(slots.begin(), slots.end(), reference_slot);
  if (it == slots.end())
    throw Error(Format("There is no photo %d to align the others to", reference_slot));
  return static_cast<size_t>(it - slots.begin());
}

FrameOutcome AlignOne(const AlignImage& reference, const AlignImage& frame,
                      const std::optional<Rect>& area, const AlignSettings& settings, int slot) {
  FrameOutcome outcome;
  outcome.slot = slot;
  if (settings.subject) {
    outcome.alignment =
        MatchSubject(reference, frame, *settings.subject, settings.reference_slot, slot);
  } else {
    const Size size = reference.PixelSize();
    outcome.alignment =
        RegisterFrame(reference, frame, area.value_or(Rect{0, 0, size.width, size.height}),
                      settings.model, settings.reference_slot, slot);
  }
  return outcome;
}

Rect CropOrWhole(const JobFrame& frame, Size photo) {
  return frame.crop.value_or(Rect{0, 0, photo.width, photo.height});
}

AlignImage WholePhoto(const std::string& path) {
  const std::unique_ptr<PhotoSource> source = OpenPhotoSource(path);
  const Size size = source->PixelSize();
  return AlignImage(source->ReadRegion(Rect{0, 0, size.width, size.height}));
}

}  // namespace

std::vector<FrameOutcome> AlignPhotos(const std::vector<int>& slots, const AlignPhotoLoader& load,
                                      const std::optional<Rect>& area,
                                      const AlignSettings& settings, unsigned threads) {
  const size_t reference_index = ReferenceIndex(slots, settings.reference_slot);
  const AlignImage reference(load(reference_index));
  std::vector<FrameOutcome> outcomes(slots.size());
  outcomes[reference_index].slot = settings.reference_slot;
  // The reference lies where it lies: no move, no turn.
  FrameAlignment still;
  if (settings.subject) still.anchor = *settings.subject;
  outcomes[reference_index].alignment = still;

  std::atomic<size_t> next{0};
  const auto work = [&] {
    for (size_t i = next++; i < slots.size(); i = next++) {
      if (i == reference_index) continue;
      try {
        outcomes[i] = AlignOne(reference, load(i), area, settings, slots[i]);
      } catch (const std::bad_alloc&) {
        outcomes[i] =
            FrameOutcome{slots[i], std::nullopt, Format("Photo %d: Out of memory", slots[i])};
      } catch (const std::exception& e) {
        outcomes[i] = FrameOutcome{slots[i], std::nullopt, e.what()};
      }
    }
  };
  const unsigned wanted =
      threads == 0 ? std::max(1u, std::thread::hardware_concurrency()) : threads;
  const size_t workers = std::min<size_t>(wanted, slots.size());
  std::vector<std::thread> pool;
  for (size_t t = 1; t < workers; ++t) {
    try {
      pool.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // fewer threads than wanted: the others share the frames
    }
  }
  work();
  for (std::thread& thread : pool) thread.join();
  return outcomes;
}

std::vector<FrameOutcome> AlignPhotoFiles(const std::vector<std::string>& paths,
                                          const AlignSettings& settings, unsigned threads) {
  std::vector<int> slots;
  for (size_t i = 0; i < paths.size(); ++i) slots.push_back(static_cast<int>(i) + 1);
  return AlignPhotos(
      slots, [&paths](size_t i) { return WholePhoto(paths[i]); }, std::nullopt, settings, threads);
}

AlignPoint CentreOf(const Rect& crop) {
  return AlignPoint{(crop.left + crop.right) / 2.0, (crop.top + crop.bottom) / 2.0};
}

FramePlacement PlacementFor(const FrameAlignment& alignment, AlignPoint reference_centre,
                            const Rect& frame_crop) {
  const AlignPoint there = MapToFrame(alignment, reference_centre);
  const AlignPoint centre = CentreOf(frame_crop);
  FramePlacement placement;
  placement.shift_x = there.x - centre.x;
  placement.shift_y = there.y - centre.y;
  placement.angle = alignment.angle;
  placement.scale = alignment.scale;
  return placement;
}

AlignedJob AlignJob(const Job& job, const AlignSettings& settings, unsigned threads) {
  std::vector<int> slots;
  for (const JobFrame& frame : job.frames) slots.push_back(frame.slot);
  const size_t reference_index = ReferenceIndex(slots, settings.reference_slot);
  const JobFrame& reference = job.frames[reference_index];
  std::vector<Size> sizes(job.frames.size());
  const AlignPhotoLoader load = [&](size_t i) {
    AlignImage photo = WholePhoto(job.frames[i].path);
    sizes[i] = photo.PixelSize();
    return photo;
  };
  std::optional<Rect> area = reference.crop;
  AlignedJob aligned{job, AlignPhotos(slots, load, area, settings, threads)};
  const Rect reference_crop = CropOrWhole(reference, sizes[reference_index]);
  for (size_t i = 0; i < job.frames.size(); ++i) {
    const FrameOutcome& outcome = aligned.outcomes[i];
    if (!outcome.alignment) continue;
    JobFrame& frame = aligned.job.frames[i];
    const FramePlacement placement =
        PlacementFor(*outcome.alignment, CentreOf(reference_crop), CropOrWhole(frame, sizes[i]));
    // A frame cropped as the reference is, and aligned to nothing, stays as framed.
    frame.placement = i == reference_index ? FramePlacement{} : placement;
  }
  return aligned;
}

}  // namespace lenti
