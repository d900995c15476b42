// One line of text on the merged image: typed, given a font, applied and
// placed by clicking the view. The pending text is burned into the picture
// only by Rotate (into MergedBitmap) and by Save and Print (into a copy).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/dialogs.h"
#include "core/maker_state.h"
#include "core/raster.h"

namespace lenti {

// The commands below take no view: each changes the state and returns the
// picture the view is to show, if any.
//
// The Apply rule: "&Apply" may run when the text box holds text and a
// merged image exists.
void UpdateApplyEnabled(MakerState& state);

// The text box now holds `text`; then the Apply rule.
void TypeOverlayText(MakerState& state, const std::string& text);

// "&Font": the font dialog on its own font object (shared with
// OverlayFont once applied), then the Apply rule.
void ChooseFont(MakerState& state, Dialogs& dialogs, const std::shared_ptr<Font>& dialog_font);

// "&Colour": the colour dialog on the colour of the same font object, so
// a colour chosen after Apply is the pending text's colour at once (as a
// font chosen then is). A confirmed new colour runs the Apply rule; a
// cancelled dialog, or the same colour confirmed, changes nothing.
void ChooseTextColour(MakerState& state, Dialogs& dialogs, const std::shared_ptr<Font>& dialog_font);

// "&Apply": the text box's text and the dialog's font become the pending
// text; returns the full-size copy of MergedBitmap with it (none without a
// merged picture).
std::optional<Raster> ApplyText(MakerState& state, const std::shared_ptr<Font>& dialog_font);

// A click on the view (an image of `view_image` pixels): maps it to
// MergedBitmap pixels and, with a pending text, returns the copy with the
// text redrawn there.
std::optional<Raster> PlaceText(MakerState& state, Size view_image, int x, int y);

// The click mapping alone: a picture of `merged` size shown scaled to fit
// and centred in a view of `view` size.
Point MapViewClickToImage(Size merged, Size view, int x, int y);

// The pending text as a job keeps it: text, a copy of its font, its place.
JobText PendingText(const MakerState& state);
// The state's overlay set to `text` (a font object of its own) as Apply leaves it.
void SetPendingText(MakerState& state, const JobText& text);

// How much larger than at the classic resolution of the same frames and
// pitch a text is drawn on a picture of geometry `g`: its resolution over
// that one (exactly 1 at the classic settings and before a merge).
double TextScale(const MergeGeometry& g);

// Draws the pending text (if any) into `target` with a clear brush at
// (TextX, TextY), scaled by TextScale so that it prints at the same height
// whatever the picture's resolution. The one function Apply, Rotate, Save
// and Print use.
void BurnOverlayText(const MakerState& state, Raster& target);

// The picture Save writes, Print prints and the view shows after Apply:
// MergedBitmap with the pending text burned into a copy held in `scratch`,
// or MergedBitmap itself when no text is pending. MergedBitmap is never
// changed. The state must hold a merged picture.
const Raster& PictureWithText(const MakerState& state, std::optional<Raster>& scratch);

}  // namespace lenti
