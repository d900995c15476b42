#include "delivery/press_settings.h"

#include "core/error.h"
#include "core/numerics.h"
#include "delivery/bleed.h"
#include "delivery/cmyk_transform.h"
#include "delivery/press_profile.h"

namespace lenti {

void ChoosePressProfile(MakerState& state, Dialogs& dialogs) {
  const std::string path = dialogs.AskOpenProfile();
  if (!path.empty()) SetPressProfile(state, path);
}

void SetPressProfile(MakerState& state, const std::string& path) {
  PressProfile::Load(path);  // refused before it is kept
  state.output.press.profile = path;
}

void SetPressIntent(MakerState& state, PressIntent intent) { state.output.press.intent = intent; }

void SetPressBleed(MakerState& state, double bleed_mm) {
  CheckBleedMm(bleed_mm);
  state.output.press.bleed_mm = bleed_mm;
}

void SetBlackText(MakerState& state, bool black_only) { state.output.press.black_text = black_only; }

void SetPrintMarks(MakerState& state, bool marks) { state.output.press.marks = marks; }

Raster PressProof(const MakerState& state, const Raster& shown, bool mark_out_of_gamut) {
  const PressOutput& press = state.output.press;
  return SoftProof(shown, PressProfile::Load(press.profile), press.intent, mark_out_of_gamut);
}

std::string PressSizeText(double width_cm, double height_cm, double bleed_mm) {
  const auto cm = [](double value) { return FloatToStr(Round(static_cast<Extended>(value) * 100) / 100.0L); };
  std::string text = "trim " + cm(width_cm) + " x " + cm(height_cm) + " cm";
  if (bleed_mm > 0) {
    const double grown = 2 * bleed_mm / 10;
    text += ", with " + FloatToStr(bleed_mm) + " mm bleed " + cm(width_cm + grown) + " x " + cm(height_cm + grown) + " cm";
  }
  return text;
}

std::string PressProfileName(const MakerState& state) {
  if (state.output.press.profile.empty()) return "default";
  return state.output.press.profile;
}

}  // namespace lenti
