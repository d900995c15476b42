// "&Save": the merged picture with its pending text written as a BMP (or a
// TIFF or PNG, by the name's extension) that records the resolution of the
// merge that made it.
#pragma once

#include "core/dialogs.h"
#include "core/maker_state.h"

namespace lenti {

// The dpi a save stamps: that of the merge that made MergedBitmap.
double MergedDpi(const MakerState& state);

// "Saved to "PATH".": where a Save wrote its file.
std::string SavedMessage(const std::string& path);

// Asks for a name (nothing happens on cancel), draws the pending text into a
// copy of MergedBitmap and writes it atomically, stamped with MergedDpi,
// then says where it wrote. With "TIFF, CMYK for press" chosen it is the
// press's CMYK TIFF; the press settings' bleed applies to every type. MergedBitmap itself stays unchanged; the picture
// counts as delivered.
void SaveMerged(MakerState& state, Dialogs& dialogs);

// Closing the window: true when it may close. A merged picture that was
// neither saved nor printed since its merge is lost only when the person
// says so.
bool MayClose(const MakerState& state, Dialogs& dialogs);

inline constexpr const char* kCloseUnsavedQuestion =
    "The merged picture has not been saved or printed.\nClose and lose it?";

}  // namespace lenti
