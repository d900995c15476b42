// One line of text on the merged image: typed, given a font, applied and
// placed by clicking the view. The pending text is burned into the picture
// only by Rotate (into MergedBitmap) and by Save and Print (into a copy).
#pragma once

#include <memory>
#include <optional>

#include "core/dialogs.h"
#include "core/maker_state.h"
#include "core/views.h"

namespace lenti {

// The text box changed: "&Apply" may run when the box holds text and a
// merged image exists.
void UpdateApplyEnabled(MakerState& state, const MainView& view);

// "&Font": the font dialog on its own font object (shared with
// OverlayFont once applied), then the Apply rule.
void ChooseFont(MakerState& state, Dialogs& dialogs, const MainView& view,
                const std::shared_ptr<Font>& dialog_font);

// "&Colour": the colour dialog on the colour of the same font object, so
// a colour chosen after Apply is the pending text's colour at once (as a
// font chosen then is). A confirmed new colour runs the Apply rule; a
// cancelled dialog, or the same colour confirmed, changes nothing.
void ChooseTextColour(MakerState& state, Dialogs& dialogs, const MainView& view,
                      const std::shared_ptr<Font>& dialog_font);

// "&Apply": the edit's text and the dialog's font become the pending text,
// shown on a full-size copy of MergedBitmap in the view.
void ApplyText(MakerState& state, MainView& view, const std::shared_ptr<Font>& dialog_font);

// A click on the view: maps it (view image coordinates) to MergedBitmap
// pixels and, with a pending text, redraws it there.
void PlaceText(MakerState& state, MainView& view, int x, int y);

// The click mapping alone: a picture of `merged` size shown scaled to fit
// and centred in a view of `view` size.
Point MapViewClickToImage(Size merged, Size view, int x, int y);

// The pending text as a job keeps it: text, a copy of its font, its place.
JobText PendingText(const MakerState& state);
// The state's overlay set to `text` (a font object of its own) as Apply leaves it.
void SetPendingText(MakerState& state, const JobText& text);

// Draws the pending text (if any) into `target` with a clear brush at
// (TextX, TextY). The one function Apply, Rotate, Save and Print use.
void BurnOverlayText(const MakerState& state, Raster& target);

// The picture Save writes, Print prints and the view shows after Apply:
// MergedBitmap with the pending text burned into a copy held in `scratch`,
// or MergedBitmap itself when no text is pending. MergedBitmap is never
// changed. The state must hold a merged picture.
const Raster& PictureWithText(const MakerState& state, std::optional<Raster>& scratch);

}  // namespace lenti
