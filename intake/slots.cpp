// The slot commands beside the import (intake/import_work.h): select a slot,
// frame it again.
#include "intake/slots.h"

#include <memory>
#include <vector>

#include "core/bmp_reader.h"
#include "core/error.h"
#include "core/file_io.h"
#include "core/long_work.h"
#include "core/picture.h"
#include "intake/crop_frame.h"
#include "intake/import_work.h"
#include "intake/photo_source.h"
#include "intake/slot_order.h"

namespace lenti {
namespace {

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

}  // namespace

Raster MakeThumbnail(const Raster& photo) {
  Raster thumbnail(kThumbnailWidth, kThumbnailHeight);
  // The whole photo fills the thumbnail; proportions are not kept.
  thumbnail.StretchDraw(Rect{0, 0, kThumbnailWidth, kThumbnailHeight}, photo);
  return thumbnail;
}

int OpenCommandSlot(const SlotState& photos, Dialogs& dialogs) {
  if (const int empty = FirstEmptySlot(photos); empty != 0) return empty;
  const int current = photos.CurrentSlot + 1;
  return dialogs.AskYesNo(Format("Every photo slot is filled. Replace the photo in slot %d?", current)) ? current : 0;
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
