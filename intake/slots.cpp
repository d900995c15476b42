// The slot commands: import a photo into a slot, select a slot.
//
// An import builds everything aside first (the decoded photo, its thumbnail,
// the working file under a temporary name) and changes the slot only when
// all of it has succeeded, so a cancelled dialog, a file that is not a photo
// or a damaged one leave the slot exactly as it was: its file, thumbnail,
// rectangle, the frame count and the selection.
#include "intake/slots.h"

#include <algorithm>
#include <new>
#include <vector>

#include "core/bmp_reader.h"
#include "core/bmp_writer.h"
#include "core/error.h"
#include "core/file_io.h"
#include "core/picture.h"
#include "core/strip_width.h"
#include "core/work_dir.h"
#include "intake/crop_frame.h"
#include "intake/photo_source.h"
#include "intake/slot_order.h"

namespace lenti {
namespace {

void CheckSlotNumber(int slot) {
  if (slot < 1 || slot > kSlotCount) throw Error(Format("There is no photo slot %d", slot));
}

// What a successful import puts into the slot, built before the slot changes.
struct ImportedPhoto {
  std::string slot_file;
  Raster thumbnail;
  Picture view;
};

// The working file is replaced only by a complete new one: the BMP goes to a
// temporary file beside it that is renamed over it at the end.
void WriteWorkingFile(const Raster& photo, const std::string& path) {
  AtomicFile file(path);
  SaveBmpFile(photo, file.TempPath(), path);  // errors name the working file
  file.Commit();
}

// A JPEG, PNG or TIFF photo is converted to the slot's BMP working file as
// a viewer shows it (in sRGB, turned as its orientation says).
ImportedPhoto ConvertPhoto(PhotoKind kind, const std::string& chosen, const std::string& work_file) {
  const std::vector<uint8_t> bytes = ReadWholeFile(chosen, kMaxPhotoFileBytes);
  Raster photo = DecodeViewedPhoto(kind, bytes, chosen);
  Raster thumbnail = MakeThumbnail(photo);
  WriteWorkingFile(photo, work_file);
  return ImportedPhoto{work_file, std::move(thumbnail), Picture(std::move(photo))};
}

// A BMP photo is used where it lies; it is read here to check it and to
// draw its thumbnail.
ImportedPhoto CheckBmp(const std::string& chosen) {
  const std::vector<uint8_t> bytes = ReadWholeFile(chosen, kMaxPhotoFileBytes);
  Raster photo = DecodeBmp(bytes.data(), bytes.size(), chosen);
  Raster thumbnail = MakeThumbnail(photo);
  return ImportedPhoto{chosen, std::move(thumbnail), Picture(std::move(photo))};
}

// Shows the picture of the current slot and frames it.
void ShowSlotPicture(MakerState& state, MainView& view, const Picture& picture) {
  view.SetViewPicture(picture);
  FitAndFrame(state, view);
}

// The picture of a slot file. Every file an import put into a slot is a
// BMP by content, whatever its name, so it is read as one; anything else
// goes to the picture holder, which picks its reader by the extension.
Picture LoadSlotPicture(const std::string& path, const Picture& current) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path, kMaxPhotoFileBytes);
  if (LooksLikeBmp(bytes.data(), bytes.size())) {
    return Picture(DecodeBmp(bytes.data(), bytes.size(), path));
  }
  Picture picture = current;
  picture.LoadFromFile(path);
  return picture;
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A file recognised as a photo into the slot: working file, thumbnail,
// FrameCount, StripWidth, a forgotten rectangle, the slot selected. Raises
// with the slot as it was.
void ImportPhoto(MakerState& state, MainView& view, const std::string& work_dir, int slot,
                 const std::string& chosen, PhotoKind kind) {
  // Slots 3..16 take part in the merge once filled; the strip width follows
  // with the import rule (250, not the merge's 300).
  int32_t frame_count = state.photos.FrameCount;
  int32_t strip_width = state.photos.StripWidth;
  if (slot >= 3) {
    frame_count = std::max(frame_count, slot);
    strip_width = ImportStripWidth(frame_count, state.lens.LensLpiX);
  }
  // Written last of all that may fail, so that a failure before it keeps
  // the previous working file.
  ImportedPhoto photo =
      kind == PhotoKind::Bmp ? CheckBmp(chosen) : ConvertPhoto(kind, chosen, PhotoWorkFile(work_dir, slot));

  // Nothing below can fail: the slot changes as a whole.
  state.photos.SlotFiles[slot - 1] = photo.slot_file;
  view.SetThumbnail(slot, photo.thumbnail);
  state.photos.FrameCount = frame_count;
  state.photos.StripWidth = strip_width;
  CropRecord& record = state.photos.CropRects[slot - 1];
  record.Saved = false;
  record.Left = 0;

  // The photo just read is the slot file's picture: show it without reading
  // the file back.
  state.photos.CurrentSlot = static_cast<uint8_t>(slot - 1);
  ShowSlotPicture(state, view, photo.view);
}

}  // namespace

Raster MakeThumbnail(const Raster& photo) {
  Raster thumbnail(kThumbnailWidth, kThumbnailHeight);
  // The whole photo fills the thumbnail; proportions are not kept.
  thumbnail.StretchDraw(Rect{0, 0, kThumbnailWidth, kThumbnailHeight}, photo);
  return thumbnail;
}

void ImportIntoSlot(MakerState& state, Dialogs& dialogs, MainView& view, const std::string& work_dir,
                    int slot) {
  CheckSlotNumber(slot);
  const std::vector<std::string> chosen = dialogs.AskOpenPictures();
  if (chosen.empty()) return;  // cancelled: the slot keeps its photo and its framing
  if (chosen.size() > 1) return ImportFiles(state, dialogs, view, work_dir, slot, chosen);

  const PhotoKind kind = RecognisePhotoFile(chosen.front());
  if (kind == PhotoKind::Other) {
    dialogs.ShowMessage(FileFormatMessage(chosen.front()));
    return;
  }
  ImportPhoto(state, view, work_dir, slot, chosen.front(), kind);
}

void ImportFiles(MakerState& state, Dialogs& dialogs, MainView& view, const std::string& work_dir,
                 int first_slot, const std::vector<std::string>& files) {
  CheckSlotNumber(first_slot);
  const std::vector<std::string> ordered = NaturalOrder(files);
  const size_t free_slots = static_cast<size_t>(kSlotCount - first_slot + 1);
  if (ordered.size() > free_slots) {
    const std::string slots = free_slots == 1 ? Format("slot %d", kSlotCount)
                                              : Format("slots %d to %d", first_slot, kSlotCount);
    std::string text = "Too many photos for " + slots + "; nothing was imported. Left over:";
    for (size_t k = free_slots; k < ordered.size(); ++k) text += "\n" + FileNameOf(ordered[k]);
    dialogs.ShowMessage(text);
    return;
  }
  BusyCursor busy(view);
  std::vector<std::string> refused;
  int slot = first_slot;
  for (const std::string& file : ordered) {
    // Each file on its own: one that fails is named at the end, the others go on.
    try {
      const PhotoKind kind = RecognisePhotoFile(file);
      if (kind == PhotoKind::Other) {
        refused.push_back(FileNameOf(file) + ": File format error!");
        continue;
      }
      ImportPhoto(state, view, work_dir, slot, file, kind);
      ++slot;
    } catch (const std::bad_alloc&) {
      refused.push_back(FileNameOf(file) + ": Out of memory");
    } catch (const Error& e) {
      refused.push_back(FileNameOf(file) + ": " + e.what());
    }
  }
  if (refused.empty()) return;
  std::string text = "Not imported:";
  for (const std::string& line : refused) text += "\n" + line;
  dialogs.ShowMessage(text);
}

void ImportDroppedFiles(MakerState& state, Dialogs& dialogs, MainView& view,
                        const std::string& work_dir, int slot, const std::vector<std::string>& files) {
  if (files.empty()) return;
  if (slot == 0) slot = FirstEmptySlot(state.photos);
  if (slot == 0) {
    std::string text = "Every photo slot is filled; nothing was imported. Drop photos on a slot to "
                       "replace the photos from there on. Left over:";
    for (const std::string& file : NaturalOrder(files)) text += "\n" + FileNameOf(file);
    dialogs.ShowMessage(text);
    return;
  }
  ImportFiles(state, dialogs, view, work_dir, slot, files);
}

int OpenCommandSlot(const SlotState& photos) {
  if (!photos.SlotFiles[photos.CurrentSlot].empty()) return photos.CurrentSlot + 1;
  return FirstEmptySlot(photos);
}

void SelectSlot(MakerState& state, MainView& view, int slot) {
  CheckSlotNumber(slot);
  const std::string& file = state.photos.SlotFiles[slot - 1];
  if (file.empty()) return;  // a slot never filled has nothing to show
  // The slot is current even when its file no longer loads; the view then
  // keeps its previous picture.
  state.photos.CurrentSlot = static_cast<uint8_t>(slot - 1);
  ShowSlotPicture(state, view, LoadSlotPicture(file, view.ViewPicture()));
}

void FrameCurrentSlot(MakerState& state, MainView& view) {
  const int index = state.photos.CurrentSlot;
  const std::string& file = state.photos.SlotFiles[index];
  if (file.empty()) return;
  const Picture picture = LoadSlotPicture(file, view.ViewPicture());
  CropRecord& record = state.photos.CropRects[index];
  // An empty picture is refused by the fit before anything is written.
  if (record.Saved && !picture.IsEmpty() && !CropWithinReach(record, view)) record.Saved = false;
  ShowSlotPicture(state, view, picture);
}

}  // namespace lenti
