#include "delivery/press_tiff.h"

#include <algorithm>
#include <cstring>

#include "core/error.h"
#include "core/file_io.h"
#include "delivery/cmyk_transform.h"
#include "delivery/tiff_writer.h"

namespace lenti {
namespace {

// Rows of the grown picture in CMYK: each picture row is gathered (and
// converted) once however often the bleed repeats it.
class CmykRowMaker {
 public:
  CmykRowMaker(const PressPicture& picture, const PressProfile& profile, PressIntent intent)
      : p_(picture), to_cmyk_(profile, intent) {
    const auto width = static_cast<size_t>(p_.bleed.Width());
    source_row_.resize(static_cast<size_t>(p_.picture->Width()) * 3);
    under_row_.resize(source_row_.size());
    gathered_.resize(width * 3);
    under_gathered_.resize(width * 3);
    under_cmyk_.resize(width * 4);
  }

  void Fill(int32_t y, uint8_t* out) {
    const int32_t sy = p_.bleed.source_y[static_cast<size_t>(y)];
    ColourRow(*p_.picture, sy, source_row_.data());
    Gather(source_row_, gathered_);
    const int32_t width = p_.bleed.Width();
    const BlackInk& ink = p_.black_ink;
    if (ink.whole_picture) {
      ToBlackInk(gathered_.data(), out, width);
      return;
    }
    to_cmyk_.Convert(gathered_.data(), out, width);
    for (const Rect& area : ink.areas) {
      if (sy < area.top || sy >= area.bottom) continue;
      for (int32_t x = 0; x < width; ++x) {
        const int32_t sx = p_.bleed.source_x[static_cast<size_t>(x)];
        if (sx >= area.left && sx < area.right) ToBlackInk(&gathered_[static_cast<size_t>(x) * 3], out + x * 4, 1);
      }
    }
    if (!ink.text_coverage.empty()) LayBlackText(sy, out);
  }

 private:
  void Gather(const std::vector<uint8_t>& row, std::vector<uint8_t>& to) const {
    for (size_t x = 0; x < p_.bleed.source_x.size(); ++x) {
      std::memcpy(&to[x * 3], &row[static_cast<size_t>(p_.bleed.source_x[x]) * 3], 3);
    }
  }

  // Where the text covers a pixel, the colours under it in CMYK held back
  // by its coverage and black ink added for it.
  void LayBlackText(int32_t sy, uint8_t* out) {
    const int32_t width = p_.bleed.Width();
    const uint8_t* coverage = &p_.black_ink.text_coverage[static_cast<size_t>(sy) * static_cast<size_t>(p_.picture->Width())];
    bool any = false;
    for (int32_t x = 0; x < width && !any; ++x) any = coverage[p_.bleed.source_x[static_cast<size_t>(x)]] != 0;
    if (!any) return;
    ColourRow(*p_.black_ink.under, sy, under_row_.data());
    Gather(under_row_, under_gathered_);
    to_cmyk_.Convert(under_gathered_.data(), under_cmyk_.data(), width);
    for (int32_t x = 0; x < width; ++x) {
      const int a = coverage[p_.bleed.source_x[static_cast<size_t>(x)]];
      if (a == 0) continue;
      uint8_t* pixel = out + x * 4;
      const uint8_t* under = &under_cmyk_[static_cast<size_t>(x) * 4];
      for (int c = 0; c < 3; ++c) pixel[c] = static_cast<uint8_t>((under[c] * (255 - a) + 127) / 255);
      pixel[3] = static_cast<uint8_t>(under[3] + ((255 - under[3]) * a + 127) / 255);
    }
  }

  const PressPicture& p_;
  CmykTransform to_cmyk_;
  std::vector<uint8_t> source_row_, under_row_, gathered_, under_gathered_, under_cmyk_;
};

void CheckPicture(const PressPicture& p) {
  if (p.picture == nullptr || p.picture->Empty()) throw Error("There is no picture to write");
  const auto w = static_cast<size_t>(p.picture->Width());
  const auto h = static_cast<size_t>(p.picture->Height());
  if (p.bleed.Width() != static_cast<int32_t>(w) + 2 * p.bleed.bleed ||
      p.bleed.Height() != static_cast<int32_t>(h) + 2 * p.bleed.bleed) {
    throw Error("The bleed was worked out for a picture of another size");
  }
  const BlackInk& ink = p.black_ink;
  if (!ink.text_coverage.empty() &&
      (ink.text_coverage.size() != w * h || ink.under == nullptr || ink.under->Width() != p.picture->Width() ||
       ink.under->Height() != p.picture->Height())) {
    throw Error("The black text was worked out for a picture of another size");
  }
}

}  // namespace

void SaveCmykTiff(const PressPicture& picture, const PressProfile& profile, PressIntent intent,
                  const std::string& path) {
  CheckPicture(picture);
  DpiToRational(picture.dpi);  // a bad resolution makes no file
  CmykRowMaker maker(picture, profile, intent);
  AtomicFile file(path);
  const CmykRows rows{picture.bleed.Width(), picture.bleed.Height(),
                      [&](int32_t y, uint8_t* out) { maker.Fill(y, out); }};
  WriteCmykTiffFile(rows, profile.Bytes(), file.TempPath(), path, picture.dpi);
  file.Commit();
}

std::vector<uint8_t> CmykRowsOf(const PressPicture& picture, const PressProfile& profile, PressIntent intent) {
  CheckPicture(picture);
  CmykRowMaker maker(picture, profile, intent);
  const auto row_bytes = static_cast<size_t>(picture.bleed.Width()) * 4;
  std::vector<uint8_t> rows(row_bytes * static_cast<size_t>(picture.bleed.Height()));
  for (int32_t y = 0; y < picture.bleed.Height(); ++y) maker.Fill(y, &rows[static_cast<size_t>(y) * row_bytes]);
  return rows;
}

}  // namespace lenti
