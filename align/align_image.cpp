#include "align/align_image.h"

#include <algorithm>

#include <opencv2/imgproc.hpp>

#include "align/align_pyramid.h"
#include "core/error.h"

namespace lenti {

namespace {

// The coarsest level is at most this wide or high: small enough for a
// quick search over the whole photo, large enough to hold its structure.
constexpr int kCoarsestSide = 400;

cv::Mat GreyOf(const Raster& photo) {
  cv::Mat grey(photo.Height(), photo.Width(), CV_8UC1);
  if (photo.Format() == PixelFormat::pf24bit) {
    // Rows are BGR, padded to 4 bytes: the stride says where each begins.
    const cv::Mat bgr(photo.Height(), photo.Width(), CV_8UC3, const_cast<uint8_t*>(photo.Bits()),
                      photo.Stride());
    cv::cvtColor(bgr, grey, cv::COLOR_BGR2GRAY);
    return grey;
  }
  for (int y = 0; y < photo.Height(); ++y) {
    uint8_t* row = grey.ptr<uint8_t>(y);
    for (int x = 0; x < photo.Width(); ++x) {
      const Color c = photo.PixelColor(x, y);
      row[x] = static_cast<uint8_t>((299 * c.r + 587 * c.g + 114 * c.b + 500) / 1000);
    }
  }
  return grey;
}

}  // namespace

AlignImage::AlignImage(const Raster& photo) : levels_(std::make_unique<AlignPyramid>()) {
  if (photo.Empty()) throw Error("An empty photo cannot be aligned");
  levels_->levels.push_back(GreyOf(photo));
  for (;;) {
    const cv::Mat& last = levels_->levels.back();
    if (std::max(last.cols, last.rows) <= kCoarsestSide) break;
    const int w = last.cols / kLevelStep;
    const int h = last.rows / kLevelStep;
    if (w < 16 || h < 16) break;
    // Whole 4 x 4 blocks only, so that level coordinates map exactly.
    cv::Mat reduced;
    cv::resize(last(cv::Rect(0, 0, w * kLevelStep, h * kLevelStep)), reduced, cv::Size(w, h), 0, 0,
               cv::INTER_AREA);
    levels_->levels.push_back(std::move(reduced));
  }
}

AlignImage::~AlignImage() = default;
AlignImage::AlignImage(AlignImage&&) noexcept = default;
AlignImage& AlignImage::operator=(AlignImage&&) noexcept = default;

Size AlignImage::PixelSize() const {
  const cv::Mat& full = levels_->levels.front();
  return Size{full.cols, full.rows};
}

}  // namespace lenti
