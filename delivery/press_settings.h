// The window's press settings: the profile, the intent, the bleed, black
// text and marks, kept in the state's output so the job (and its project
// file) keeps them. Each setting is checked as it is made: a bad profile or
// bleed is refused with its message and the setting stays as it was.
#pragma once

#include <optional>
#include <string>

#include "core/dialogs.h"
#include "core/maker_state.h"
#include "core/raster.h"

namespace lenti {

// Asks for a profile file; a cancel keeps the one chosen before.
void ChoosePressProfile(MakerState& state, Dialogs& dialogs);
// "" is the default press profile.
void SetPressProfile(MakerState& state, const std::string& path);
void SetPressIntent(MakerState& state, PressIntent intent);
void SetPressBleed(MakerState& state, double bleed_mm);
void SetBlackText(MakerState& state, bool black_only);
void SetPrintMarks(MakerState& state, bool marks);

// `shown` as the press will print it, through the profile and intent of
// the settings (the soft proof); with `mark_out_of_gamut` the colours the
// press cannot make are shown in kGamutAlarm.
Raster PressProof(const MakerState& state, const Raster& shown, bool mark_out_of_gamut);

// The size readout: "trim 14.5 x 17.5 cm" and, with a bleed, ", with 3 mm
// bleed 15.1 x 18.1 cm".
std::string PressSizeText(double width_cm, double height_cm, double bleed_mm);

// The profile as a menu shows it: its path, or "default".
std::string PressProfileName(const MakerState& state);

}  // namespace lenti
