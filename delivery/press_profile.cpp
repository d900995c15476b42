#include "delivery/press_profile.h"

#include <lcms2.h>

#include <limits>
#include <utility>

#include "core/error.h"
#include "core/file_io.h"

namespace lenti {
namespace {

// A profile larger than this is no press profile (the largest are a few MB).
constexpr uint64_t kMaxProfileBytes = uint64_t{64} << 20;

void Quiet(cmsContext, cmsUInt32Number, const char*) {}

// The handles of one check, released in reverse order.
struct Check {
  cmsContext context = nullptr;
  cmsHPROFILE profile = nullptr;
  cmsHPROFILE srgb = nullptr;
  cmsHTRANSFORM transform = nullptr;
  Check() = default;
  ~Check() {
    if (transform != nullptr) cmsDeleteTransform(transform);
    if (srgb != nullptr) cmsCloseProfile(srgb);
    if (profile != nullptr) cmsCloseProfile(profile);
    if (context != nullptr) cmsDeleteContext(context);
  }
  Check(const Check&) = delete;
  Check& operator=(const Check&) = delete;
};

// "an RGB display profile": what the file is instead, in the person's words.
std::string WhatItIs(cmsHPROFILE profile) {
  std::string space;
  switch (cmsGetColorSpace(profile)) {
    case cmsSigRgbData: space = "an RGB"; break;
    case cmsSigGrayData: space = "a grey"; break;
    case cmsSigCmykData: space = "a CMYK"; break;
    case cmsSigLabData: space = "a Lab"; break;
    default: space = "a"; break;
  }
  switch (cmsGetDeviceClass(profile)) {
    case cmsSigDisplayClass: return space + " display profile";
    case cmsSigInputClass: return space + " input (camera or scanner) profile";
    case cmsSigOutputClass: return space + " output profile";
    case cmsSigColorSpaceClass: return space + " colour space profile";
    case cmsSigLinkClass: return space + " device link";
    case cmsSigAbstractClass: return space + " abstract profile";
    default: return space + " profile of another kind";
  }
}

}  // namespace

PressProfile PressProfile::Load(const std::string& path) {
  const std::string name = path.empty() ? kDefaultPressProfile : path;
  std::vector<uint8_t> bytes;
  try {
    bytes = ReadWholeFile(name, kMaxProfileBytes);
  } catch (const Error& e) {
    throw Error(Format("The press profile \"%s\" cannot be read: %s", name.c_str(), e.what()));
  }
  return FromBytes(std::move(bytes), name);
}

PressProfile PressProfile::FromBytes(std::vector<uint8_t> bytes, const std::string& name) {
  Check c;
  c.context = cmsCreateContext(nullptr, nullptr);
  if (c.context == nullptr) throw OutOfMemory();
  cmsSetLogErrorHandlerTHR(c.context, Quiet);
  if (bytes.size() <= std::numeric_limits<cmsUInt32Number>::max()) {
    c.profile = cmsOpenProfileFromMemTHR(c.context, bytes.data(), static_cast<cmsUInt32Number>(bytes.size()));
  }
  if (c.profile == nullptr) {
    throw Error(Format("The press profile \"%s\" is damaged: it is not an ICC profile that can be read",
                       name.c_str()));
  }
  if (cmsGetDeviceClass(c.profile) != cmsSigOutputClass || cmsGetColorSpace(c.profile) != cmsSigCmykData) {
    throw Error(Format("The press profile \"%s\" is not a CMYK output profile: it is %s", name.c_str(),
                       WhatItIs(c.profile).c_str()));
  }
  // A profile whose tables do not make a transform is damaged inside.
  c.srgb = cmsCreate_sRGBProfileTHR(c.context);
  if (c.srgb == nullptr) throw OutOfMemory();
  for (const cmsUInt32Number intent : {INTENT_PERCEPTUAL, INTENT_RELATIVE_COLORIMETRIC}) {
    c.transform = cmsCreateTransformTHR(c.context, c.srgb, TYPE_BGR_8, c.profile, TYPE_CMYK_8, intent,
                                        cmsFLAGS_BLACKPOINTCOMPENSATION);
    if (c.transform == nullptr) {
      throw Error(Format("The press profile \"%s\" is damaged: its colour tables cannot be used", name.c_str()));
    }
    cmsDeleteTransform(c.transform);
    c.transform = nullptr;
  }
  PressProfile profile;
  profile.bytes_ = std::move(bytes);
  profile.name_ = name;
  return profile;
}

}  // namespace lenti
