// Photo import as long work: the photos decoded, their thumbnails drawn and
// their working files written aside on a worker; the slots filled on the
// window's thread only when all of that is done.
#include "intake/import_work.h"

#include <algorithm>
#include <new>
#include <optional>
#include <utility>

#include "core/bmp_reader.h"
#include "core/bmp_writer.h"
#include "core/content_hash.h"
#include "core/error.h"
#include "core/file_io.h"
#include "core/picture.h"
#include "core/strip_width.h"
#include "core/work_dir.h"
#include "intake/crop_frame.h"
#include "intake/photo_source.h"
#include "intake/slot_order.h"
#include "intake/slots.h"

namespace lenti {
namespace {

// Read and decode, thumbnail, working file: the bar moves once for each.
constexpr int kStepsPerPhoto = 3;

void Step(ProgressSink& progress) { progress.SetProgress(progress.Progress() + 1); }

// FrameCount and StripWidth as the imports so far leave them: slots 3..16
// take part in the merge once filled, and the strip width follows with the
// import rule (250, not the merge's 300).
struct SlotCounts {
  int32_t frame_count = 0;
  int32_t strip_width = 0;

  // Raises (the strip width of a lens pitch of 0) with the counts unchanged.
  SlotCounts After(int slot, int64_t lens_lpi_x) const {
    if (slot < 3) return *this;
    const int32_t frames = std::max(frame_count, slot);
    return SlotCounts{frames, ImportStripWidth(frames, lens_lpi_x)};
  }
};

// One photo made ready for its slot, nothing of the state changed yet.
struct StagedPhoto {
  int slot = 0;
  std::string slot_file;                     // the working file, or the BMP itself
  std::unique_ptr<AtomicFile> working_file;  // written and synced, not yet renamed
  Raster thumbnail;
  Size size;
  SlotCounts counts;
  SlotSource source;
};

// A BMP photo is used where it lies (read here to check it and for its
// thumbnail); a JPEG, PNG or TIFF photo becomes the slot's BMP working file
// as a viewer shows it (in sRGB, turned as its orientation says).
// `hash` receives the fingerprint of the file's bytes, which a project keeps.
Raster DecodePhoto(PhotoKind kind, const std::string& file, std::string& hash) {
  const std::vector<uint8_t> bytes = ReadWholeFile(file, kMaxPhotoFileBytes);
  hash = ContentHash(bytes.data(), bytes.size());
  if (kind == PhotoKind::Bmp) return DecodeBmp(bytes.data(), bytes.size(), file);
  return DecodeViewedPhoto(kind, bytes, file);
}

// The working file goes to a temporary file beside its place, synced here so
// that Finish only renames it.
std::unique_ptr<AtomicFile> WriteWorkingFile(const Raster& photo, const std::string& path) {
  auto file = std::make_unique<AtomicFile>(path);
  SaveBmpFile(photo, file->TempPath(), path);  // errors name the working file
  file->Sync();
  return file;
}

// The slot receives its photo. Nothing here can fail.
void FillSlot(MakerState& state, MainView& view, const StagedPhoto& photo) {
  state.photos.SlotFiles[photo.slot - 1] = photo.slot_file;
  state.photos.Sources[photo.slot - 1] = photo.source;
  state.photos.Thumbnails[photo.slot - 1] = photo.thumbnail;
  view.SetThumbnail(photo.slot, photo.thumbnail);
  state.photos.FrameCount = photo.counts.frame_count;
  state.photos.StripWidth = photo.counts.strip_width;
  CropRecord& record = state.photos.CropRects[photo.slot - 1];
  record.Saved = false;
  record.Left = 0;
  state.photos.CropSources[photo.slot - 1].reset();
  state.photos.Placements[photo.slot - 1] = FramePlacement{};  // a new photo is placed as framed
  state.photos.CurrentSlot = static_cast<uint8_t>(photo.slot - 1);
}

class ImportJob : public LongWork {
 public:
  // `refusals_named`: each file that fails is named in one message at the
  // end and the others go on; otherwise (one file from the dialog) the
  // failure is raised as it is.
  ImportJob(MakerState& state, Dialogs& dialogs, MainView& view, std::string work_dir, int first_slot,
            std::vector<std::string> files, bool refusals_named, std::vector<int> slots = {})
      : state_(state),
        dialogs_(dialogs),
        view_(view),
        work_dir_(std::move(work_dir)),
        first_slot_(first_slot),
        files_(std::move(files)),
        refusals_named_(refusals_named),
        slots_(std::move(slots)),
        lens_lpi_x_(state.lens.LensLpiX),
        start_counts_{state.photos.FrameCount, state.photos.StripWidth} {}

  void Run(ProgressSink& progress, const CancelToken& cancel) override {
    progress.SetProgressRange(0, kStepsPerPhoto * static_cast<int>(files_.size()));
    progress.SetProgress(0);
    SlotCounts counts = start_counts_;
    int slot = first_slot_;
    for (size_t k = 0; k < files_.size(); ++k) {
      const std::string& file = files_[k];
      cancel.ThrowIfRequested();
      const int steps_before = progress.Progress();
      if (!slots_.empty()) slot = slots_[k];
      if (StageOrRefuse(file, slot, counts, progress, cancel)) ++slot;
      // A refused file's steps are skipped, so the bar keeps its pace.
      progress.SetProgress(steps_before + kStepsPerPhoto);
    }
    cancel.ThrowIfRequested();
  }

  void Finish(ProgressSink& bar) override {
    for (size_t k = 0; k < staged_.size(); ++k) {
      StagedPhoto& photo = staged_[k];
      // Each slot changes right after its working file is in place, so a
      // rename that fails leaves the slots before it filled and the others
      // as they were.
      if (photo.working_file) photo.working_file->Commit();
      FillSlot(state_, view_, photo);
      if (k + 1 < staged_.size()) {
        FitAndFrame(state_, view_, photo.size);
      } else {
        // The photo just read is the slot file's picture: shown without
        // reading the file back.
        view_.SetViewPicture(*last_picture_);
        FitAndFrame(state_, view_);
      }
    }
    bar.SetProgress(0);
    if (!refused_.empty()) {
      std::string text = "Not imported:";
      for (const std::string& line : refused_) text += "\n" + line;
      dialogs_.ShowMessage(text);
    }
  }

 private:
  // The photo in `file` staged for `slot`; false for a file that is no
  // photo. Raises with nothing staged.
  bool Stage(const std::string& file, int slot, SlotCounts& counts, ProgressSink& progress,
             const CancelToken& cancel) {
    const PhotoKind kind = RecognisePhotoFile(file);
    if (kind == PhotoKind::Other) return false;
    StagedPhoto photo;
    photo.slot = slot;
    // Before the photo is read: a strip width that cannot be computed costs nothing.
    photo.counts = counts.After(slot, lens_lpi_x_);
    Raster pixels = DecodePhoto(kind, file, photo.source.hash);
    Step(progress);
    cancel.ThrowIfRequested();
    photo.thumbnail = MakeThumbnail(pixels);
    photo.size = Size{pixels.Width(), pixels.Height()};
    photo.source.path = file;
    photo.source.pixels = photo.size;
    Step(progress);
    cancel.ThrowIfRequested();
    if (kind == PhotoKind::Bmp) {
      photo.slot_file = file;
    } else {
      photo.slot_file = PhotoWorkFile(work_dir_, slot);
      photo.working_file = WriteWorkingFile(pixels, photo.slot_file);
    }
    counts = photo.counts;
    staged_.push_back(std::move(photo));
    // Only the last photo's pixels are kept: the view shows it at the end.
    last_picture_ = Picture(std::move(pixels));
    return true;
  }

  // One file from the dialog raises what refuses it. Of several, a file
  // that is no photo or fails is named with its reason and takes no slot.
  // True when the photo was staged.
  bool StageOrRefuse(const std::string& file, int slot, SlotCounts& counts, ProgressSink& progress,
                     const CancelToken& cancel) {
    if (!refusals_named_) {
      if (!Stage(file, slot, counts, progress, cancel)) throw Error(FileFormatMessage(file));
      return true;
    }
    try {
      if (Stage(file, slot, counts, progress, cancel)) return true;
      refused_.push_back(FileNameOf(file) + ": File format error!");
    } catch (const std::bad_alloc&) {
      refused_.push_back(FileNameOf(file) + ": Out of memory");
    } catch (const Error& e) {
      refused_.push_back(FileNameOf(file) + ": " + e.what());
    }
    return false;
  }

  MakerState& state_;
  Dialogs& dialogs_;
  MainView& view_;
  const std::string work_dir_;
  const int first_slot_;
  const std::vector<std::string> files_;
  const bool refusals_named_;
  const std::vector<int> slots_;  // the slot of each file; empty: from first_slot_ on
  // Copied on the window's thread: Run reads nothing of the state.
  const int64_t lens_lpi_x_;
  const SlotCounts start_counts_;

  std::vector<StagedPhoto> staged_;
  std::optional<Picture> last_picture_;
  std::vector<std::string> refused_;
};

}  // namespace

std::unique_ptr<LongWork> StartImportIntoSlot(MakerState& state, Dialogs& dialogs, MainView& view,
                                              const std::string& work_dir, int slot) {
  CheckSlotNumber(slot);
  const std::vector<std::string> chosen = dialogs.AskOpenPictures();
  if (chosen.empty()) return nullptr;  // cancelled: the slot keeps its photo and its framing
  if (chosen.size() > 1) return StartImportFiles(state, dialogs, view, work_dir, slot, chosen);

  if (RecognisePhotoFile(chosen.front()) == PhotoKind::Other) {
    dialogs.ShowMessage(FileFormatMessage(chosen.front()));
    return nullptr;
  }
  return std::make_unique<ImportJob>(state, dialogs, view, work_dir, slot, chosen, false);
}

std::unique_ptr<LongWork> StartImportIntoSlots(MakerState& state, Dialogs& dialogs, MainView& view,
                                               const std::string& work_dir,
                                               const std::vector<std::pair<int, std::string>>& photos) {
  if (photos.empty()) return nullptr;
  std::vector<int> slots;
  std::vector<std::string> files;
  for (const auto& [slot, file] : photos) {
    CheckSlotNumber(slot);
    slots.push_back(slot);
    files.push_back(file);
  }
  return std::make_unique<ImportJob>(state, dialogs, view, work_dir, slots.front(), std::move(files), false,
                                     std::move(slots));
}

std::unique_ptr<LongWork> StartImportFiles(MakerState& state, Dialogs& dialogs, MainView& view,
                                           const std::string& work_dir, int first_slot,
                                           const std::vector<std::string>& files) {
  CheckSlotNumber(first_slot);
  std::vector<std::string> ordered = NaturalOrder(files);
  const size_t free_slots = static_cast<size_t>(kSlotCount - first_slot + 1);
  if (ordered.size() > free_slots) {
    const std::string slots = free_slots == 1 ? Format("slot %d", kSlotCount)
                                              : Format("slots %d to %d", first_slot, kSlotCount);
    std::string text = "Too many photos for " + slots + "; nothing was imported. Left over:";
    for (size_t k = free_slots; k < ordered.size(); ++k) text += "\n" + FileNameOf(ordered[k]);
    dialogs.ShowMessage(text);
    return nullptr;
  }
  if (ordered.empty()) return nullptr;
  return std::make_unique<ImportJob>(state, dialogs, view, work_dir, first_slot, std::move(ordered), true);
}

std::unique_ptr<LongWork> StartImportDroppedFiles(MakerState& state, Dialogs& dialogs, MainView& view,
                                                  const std::string& work_dir, int slot,
                                                  const std::vector<std::string>& files) {
  if (files.empty()) return nullptr;
  if (slot == 0) slot = FirstEmptySlot(state.photos);
  if (slot == 0) {
    std::string text = "Every photo slot is filled; nothing was imported. Drop photos on a slot to "
                       "replace the photos from there on. Left over:";
    for (const std::string& file : NaturalOrder(files)) text += "\n" + FileNameOf(file);
    dialogs.ShowMessage(text);
    return nullptr;
  }
  return StartImportFiles(state, dialogs, view, work_dir, slot, files);
}

}  // namespace lenti
