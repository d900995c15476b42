// The project file: a job as JSON (".vexaro").
//
//   {
//     "format": "vexaro-job", "version": 1,
//     "frames": [ { "slot": 1, "path": "photos/a.jpg", "absolute_path": "/home/.../a.jpg",
//                   "xxh3": "0123456789abcdef", "width": 6000, "height": 4000,
//                   "crop": { "left": 10, "top": 0, "width": 4970, "height": 4000 },
//                   "shift": { "x": 12.25, "y": -3.5 }, "turn": { "angle": 0.8, "scale": 1.012 } },
//                 ... ],
//     "mode": "portrait" | "landscape",
//     "lens": { "lpi": 21.25, "dpi": "nearest-300" | 720, "phase": 0, "width_cm": 14.5,
//               "height_cm": 17.5, "sampling": "nearest" | "area", "bars": "up-down" | "3d" },
//     "merged": true,
//     "finishing": [ { "step": "text", "text": { ... } }, { "step": "turn" },
//                    { "step": "bars-on" }, { "step": "bars-off" } ],
//     "text": { "text": "Hello", "x": 100, "y": 100,
//               "font": { "family": "DejaVu Sans", "size": 24, "bold": false, "italic": false,
//                         "underline": false, "strikeout": false, "color": "#ff0000" } },
//     "output": { "path": "out.tif", "pdf": "" },
//     "printer": { "dpi": 600, "page": "A4" }
//   }
//
// A photo's "path" is relative to the project file's folder (forward
// slashes); "absolute_path" serves when the relative one no longer finds
// the photo (the project file moved alone). A crop may reach past the
// photo's edges (its "left" and "top" negative), not lie wholly beside it.
// Fixed-point settings are written in their own units and read back to the
// same integers. A frame's "shift" (source pixels) and "turn" (degrees
// counter-clockwise, scale) are its alignment (core/job.h, FramePlacement);
// a frame without them is placed as framed. Only "format", "version" and "frames" are required; every
// other field has the program's start value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/job.h"

namespace lenti {

inline constexpr const char* kJobFormatName = "vexaro-job";
inline constexpr int kJobFormatVersion = 1;
inline constexpr const char* kJobFileExtension = ".vexaro";
// Far above any real project (a few kilobytes), far below what hurts.
inline constexpr uint64_t kMaxJobFileBytes = uint64_t{4} << 20;

// The JSON text of `job`; photo paths relative to the folder of `project_path`.
std::string JobToJson(const Job& job, const std::string& project_path);

// The job in `text`, read as the file `project_path` (relative photo paths
// resolve against its folder). Raises an Error naming the file and the
// problem for anything that is not a valid job of this version.
Job JobFromJson(std::string_view text, const std::string& project_path);

// Written atomically: a failure leaves an existing file untouched. A job
// that CheckJobValues refuses is not written ("Cannot save the project ...").
void SaveJobFile(const Job& job, const std::string& path);
Job LoadJobFile(const std::string& path);

// Every value of `job` within the ranges the program accepts; raises an
// Error with `problem` text otherwise (the file readers wrap it).
void CheckJobValues(const Job& job);

}  // namespace lenti
