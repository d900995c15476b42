// "&Save": the merged picture, its pending text burned into a copy, written
// atomically and stamped with the resolution of the merge that made it.
#include "delivery/save.h"

#include <optional>
#include <string>

#include "delivery/picture_file.h"
#include "delivery/press_save.h"
#include "core/numerics.h"
#include "finishing/text_overlay.h"

namespace lenti {

double MergedDpi(const MakerState& state) {
  const MergeGeometry& g = state.merged.Geometry;
  // A periodic layout (a printer's resolution, or a phase) is exactly that many dpi.
  if (g.layout == LensLayout::Periodic) return static_cast<double>(static_cast<Extended>(g.OutputDpiX) / 10000);
  // The product is exact in 64 bits (it is the merge's OutputDpiX); a later
  // import into slot 3 changes FrameCount and StripWidth in the state, not the
  // resolution of a picture that was already made.
  const int64_t dpi_x10000 = int64_t{g.FrameCount} * g.LensLpiX * g.StripWidth;
  return static_cast<double>(static_cast<Extended>(dpi_x10000) / 10000);
}

std::string SavedMessage(const std::string& path) { return "Saved to \"" + path + "\"."; }

void SaveMerged(MakerState& state, Dialogs& dialogs) {
  if (!state.merged.MergedBitmap) return;
  const SaveChoice choice = dialogs.AskSavePictureOrPress();
  const std::string& path = choice.path;
  if (path.empty()) return;
  // The text goes into a copy only, so a text moved before the next save
  // leaves no earlier copy behind in the picture. The window's press
  // settings (bleed, profile, intent, black text) apply; CMYK only when
  // that type was chosen.
  PressOutput press = state.output.press;
  press.cmyk = choice.cmyk_for_press;
  SavePressPicture(state, press, path);
  state.output.press.cmyk = press.cmyk;
  state.merged.Delivered = true;
  state.output.path = path;
  dialogs.ShowMessage(SavedMessage(path));
}

bool MayClose(const MakerState& state, Dialogs& dialogs) {
  if (!state.merged.MergedBitmap || state.merged.Delivered) return true;
  return dialogs.AskYesNo(kCloseUnsavedQuestion);
}

}  // namespace lenti
