#include "delivery/cmyk_transform.h"

#include <lcms2.h>

#include <vector>

#include "core/error.h"

namespace lenti {
namespace {

void Quiet(cmsContext, cmsUInt32Number, const char*) {}

cmsUInt32Number LcmsIntent(PressIntent intent) {
  return intent == PressIntent::Perceptual ? INTENT_PERCEPTUAL : INTENT_RELATIVE_COLORIMETRIC;
}

// The handles of one transform, released in reverse order.
struct LcmsHandles {
  cmsContext context = nullptr;
  cmsHPROFILE press = nullptr;
  cmsHPROFILE srgb = nullptr;
  cmsHTRANSFORM transform = nullptr;
  LcmsHandles() = default;
  LcmsHandles(const LcmsHandles&) = delete;
  LcmsHandles& operator=(const LcmsHandles&) = delete;
  ~LcmsHandles() {
    if (transform != nullptr) cmsDeleteTransform(transform);
    if (srgb != nullptr) cmsCloseProfile(srgb);
    if (press != nullptr) cmsCloseProfile(press);
    if (context != nullptr) cmsDeleteContext(context);
  }
  // The press profile and sRGB opened in a context of their own.
  void Open(const PressProfile& profile) {
    context = cmsCreateContext(nullptr, nullptr);
    if (context == nullptr) throw OutOfMemory();
    cmsSetLogErrorHandlerTHR(context, Quiet);
    const std::vector<uint8_t>& bytes = profile.Bytes();
    press = cmsOpenProfileFromMemTHR(context, bytes.data(), static_cast<cmsUInt32Number>(bytes.size()));
    srgb = cmsCreate_sRGBProfileTHR(context);
    if (press == nullptr || srgb == nullptr) {
      throw Error(Format("The press profile \"%s\" cannot be opened", profile.Name().c_str()));
    }
  }
  void Require(const PressProfile& profile) const {
    if (transform == nullptr) {
      throw Error(Format("The press profile \"%s\" is damaged: its colour tables cannot be used",
                         profile.Name().c_str()));
    }
  }
};

}  // namespace

struct CmykTransform::Handles : LcmsHandles {};

CmykTransform::CmykTransform(const PressProfile& profile, PressIntent intent)
    : handles_(std::make_unique<Handles>()) {
  Handles& h = *handles_;
  h.Open(profile);
  h.transform = cmsCreateTransformTHR(h.context, h.srgb, TYPE_BGR_8, h.press, TYPE_CMYK_8, LcmsIntent(intent),
                                      cmsFLAGS_BLACKPOINTCOMPENSATION);
  h.Require(profile);
}

CmykTransform::~CmykTransform() = default;

void CmykTransform::Convert(const uint8_t* in, uint8_t* out, int count) const {
  if (count > 0) cmsDoTransform(handles_->transform, in, out, static_cast<cmsUInt32Number>(count));
}

void ToBlackInk(const uint8_t* bgr, uint8_t* cmyk, int count) {
  for (int i = 0; i < count; ++i, bgr += 3, cmyk += 4) {
    // Rec. 601 luma in whole numbers: 0.299 R + 0.587 G + 0.114 B, rounded.
    const int luma = (299 * bgr[2] + 587 * bgr[1] + 114 * bgr[0] + 500) / 1000;
    cmyk[0] = cmyk[1] = cmyk[2] = 0;
    cmyk[3] = static_cast<uint8_t>(255 - luma);
  }
}

Raster SoftProof(const Raster& picture, const PressProfile& profile, PressIntent intent, bool mark_out_of_gamut) {
  Raster proof(picture.Width(), picture.Height());
  proof.CopyRect(proof.ClipRect(), picture, picture.ClipRect());
  if (proof.Empty()) return proof;
  LcmsHandles h;
  h.Open(profile);
  cmsUInt32Number flags = cmsFLAGS_SOFTPROOFING | cmsFLAGS_BLACKPOINTCOMPENSATION;
  if (mark_out_of_gamut) {
    cmsUInt16Number alarm[cmsMAXCHANNELS] = {};
    alarm[0] = static_cast<cmsUInt16Number>(kGamutAlarm.r * 257);
    alarm[1] = static_cast<cmsUInt16Number>(kGamutAlarm.g * 257);
    alarm[2] = static_cast<cmsUInt16Number>(kGamutAlarm.b * 257);
    cmsSetAlarmCodesTHR(h.context, alarm);
    flags |= cmsFLAGS_GAMUTCHECK;
  }
  // Screen sRGB: the proof is shown relative to paper white, as the print looks.
  h.transform = cmsCreateProofingTransformTHR(h.context, h.srgb, TYPE_BGR_8, h.srgb, TYPE_BGR_8, h.press,
                                              LcmsIntent(intent), INTENT_RELATIVE_COLORIMETRIC, flags);
  h.Require(profile);
  for (int y = 0; y < proof.Height(); ++y) {
    cmsDoTransform(h.transform, proof.Row(y), proof.Row(y), static_cast<cmsUInt32Number>(proof.Width()));
  }
  return proof;
}

}  // namespace lenti
