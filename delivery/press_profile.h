// The press's ICC output profile: the colour a print shop's press makes
// from CMYK ink amounts, read and checked before anything is written.
//
// A profile is taken only when lcms2 reads it, it is an output (printer)
// profile of CMYK data, and a transform from sRGB into it can be built; any
// other file is refused with a message that names it and says why. With no
// profile chosen the program uses the CMYK press profile Debian's
// libgs-common package installs (a coated-paper offset profile).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/job.h"

namespace lenti {

// The default press profile (from libgs-common).
inline constexpr const char* kDefaultPressProfile = "/usr/share/color/icc/ghostscript/default_cmyk.icc";

class PressProfile {
 public:
  // Reads and checks `path` (empty: kDefaultPressProfile).
  static PressProfile Load(const std::string& path);
  // Checks bytes already in memory, named `name` in messages.
  static PressProfile FromBytes(std::vector<uint8_t> bytes, const std::string& name);

  const std::vector<uint8_t>& Bytes() const { return bytes_; }  // embedded in the file as it came
  const std::string& Name() const { return name_; }             // the path it came from

 private:
  PressProfile() = default;
  std::vector<uint8_t> bytes_;
  std::string name_;
};

}  // namespace lenti
