#include "app/cli_view.h"

#include <sys/stat.h>

#include <cerrno>

#include "core/error.h"
#include "core/file_io.h"
#include "core/numerics.h"
#include "delivery/picture_file.h"
#include "delivery/recorded_picture.h"
#include "interlace/lens_view.h"

namespace lenti::cli {

namespace {

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A folder named with a trailing "/" is made when missing (its parent must exist).
void MakeFolderFor(const std::string& output) {
  if (output.empty() || output.back() != '/' || IsFolder(output)) return;
  if (::mkdir(output.c_str(), 0777) != 0 && errno != EEXIST) {
    throw CannotCreateFile(output, SystemReason(errno));
  }
}

}  // namespace

std::vector<std::string> FrameViewNames(const std::string& output, int frames) {
  std::string stem = output, extension = ".bmp";
  if (!output.empty() && output.back() != '/' && IsFolder(output)) stem += "/";
  if (!stem.empty() && stem.back() == '/') {
    stem += "view";
  } else {
    extension = ExtensionOf(output);
    stem = output.substr(0, output.size() - extension.size());
  }
  std::vector<std::string> names;
  for (int k = 1; k <= frames; ++k) names.push_back(Format("%s%02d%s", stem.c_str(), k, extension.c_str()));
  return names;
}

std::string RunView(const ViewArgs& args) {
  const RecordedPicture picture = LoadRecordedPicture(args.picture);
  if (!args.dpi && !picture.dpi) {
    throw Error("\"" + args.picture + "\" records no resolution: give it with --dpi");
  }
  const LensSheet sheet{args.lpi.Lpi(), args.dpi ? *args.dpi : *picture.dpi, args.phase};
  CheckLensSheet(sheet);
  const Raster& raster = picture.raster;
  const std::string sizes = Format("%d x %d px", raster.Width(), raster.Height());
  const std::string lens = Format("%s lpi over %s dpi, %s px per lens", FloatToStr(sheet.lpi).c_str(),
                                  FloatToStr(sheet.dpi).c_str(), Format("%.4g", LensPixels(sheet)).c_str());
  if (args.frames == 0) {
    SavePictureFile(RenderLensView(raster, args.mode, sheet, *args.angle), args.output, sheet.dpi);
    return "view " + sizes + " at angle " + FloatToStr(*args.angle) + ": " + lens + " -> " + args.output;
  }
  MakeFolderFor(args.output);
  const std::vector<std::string> names = FrameViewNames(args.output, args.frames);
  for (int k = 0; k < args.frames; ++k) {
    SavePictureFile(RenderLensView(raster, args.mode, sheet, FrameAngle(k, args.frames)), names[k],
                    sheet.dpi);
  }
  return Format("%d views ", args.frames) + sizes + " at angles " +
         FloatToStr(FrameAngle(0, args.frames)) + " to " +
         FloatToStr(FrameAngle(args.frames - 1, args.frames)) + ": " + lens + " -> " + names.front() +
         (args.frames > 1 ? " .. " + names.back() : "");
}

}  // namespace lenti::cli
