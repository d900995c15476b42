#include "app/cli_photos.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#include "core/bmp.h"
#include "core/error.h"
#include "core/file_io.h"
#include "core/jpeg.h"
#include "intake/crop_frame.h"
#include "interlace/merge.h"

namespace lenti::cli {

namespace {

enum class PhotoKind { Jpeg, Bmp };

// One photo read and measured, not yet decoded (a BMP is decoded here: its
// reader has no cheaper way to give the size).
struct ProbedPhoto {
  PhotoKind kind = PhotoKind::Jpeg;
  std::vector<uint8_t> bytes;
  Size size;
  int jpeg_components = 3;
};

PhotoKind Recognise(const std::vector<uint8_t>& bytes, const std::string& path) {
  if (LooksLikeJpeg(bytes.data(), bytes.size())) return PhotoKind::Jpeg;
  if (LooksLikeBmp(bytes.data(), bytes.size())) return PhotoKind::Bmp;
  throw Error(Format("File format error! \"%s\" is neither a JPEG nor a BMP photo", path.c_str()));
}

uint32_t ReadLe32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
         uint32_t{b[at + 3]} << 24;
}

// The pixel size a BMP header claims, for the memory estimate only: the
// reader checks every field when it decodes.
Size ClaimedBmpSize(const std::vector<uint8_t>& bytes) {
  if (bytes.size() < 26) return Size{};
  const auto w = static_cast<int32_t>(ReadLe32(bytes, 18));
  const auto h = static_cast<int32_t>(ReadLe32(bytes, 22));
  const auto magnitude = [](int32_t v) { return v == INT32_MIN ? INT32_MAX : std::abs(v); };
  return Size{magnitude(w), magnitude(h)};
}

ProbedPhoto Probe(const SliceJob& job) {
  ProbedPhoto photo;
  // No photo the program can hold is larger than its biggest raster.
  photo.bytes = ReadWholeFile(job.path, kMaxRasterBytes + (uint64_t{1} << 20));
  photo.kind = Recognise(photo.bytes, job.path);
  if (photo.kind == PhotoKind::Jpeg) {
    const JpegInfo info = ReadJpegInfo(photo.bytes.data(), photo.bytes.size(), job.path);
    photo.size = Size{info.width, info.height};
    photo.jpeg_components = info.components;
  } else {
    photo.size = ClaimedBmpSize(photo.bytes);
  }
  return photo;
}

uint64_t Area(int64_t w, int64_t h) { return w > 0 && h > 0 ? uint64_t(w) * uint64_t(h) : 0; }

// The part of `rect` inside a photo of `size`; empty when none is.
Rect InsidePhoto(const Rect& rect, Size size) {
  Rect inside{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, size.width),
              std::min(rect.bottom, size.height)};
  if (inside.Width() <= 0 || inside.Height() <= 0) return Rect{};
  return inside;
}

// A 24-bit region that is the whole crop needs no copy before scaling.
bool RegionIsTheCrop(const Rect& region, const Rect& crop, bool colour) {
  return colour && region == crop;
}

// Bytes of pixels the photo's slice will hold at its peak (upper bounds).
uint64_t PeakBytes(const ProbedPhoto& photo, const Rect& crop, Size slice) {
  const uint64_t slice_bytes = Area(slice.width, slice.height) * 3;
  const uint64_t crop_bytes = Area(crop.Width(), crop.Height()) * 3;
  if (photo.kind == PhotoKind::Bmp) {
    return photo.bytes.size() + Area(photo.size.width, photo.size.height) * 3 + crop_bytes + slice_bytes;
  }
  const Rect region = InsidePhoto(crop, photo.size);
  const bool colour = photo.jpeg_components != 1;
  const uint64_t region_bytes = Area(region.Width(), region.Height()) * (colour ? 3 : 1);
  const uint64_t copy = RegionIsTheCrop(region, crop, colour) ? 0 : crop_bytes;
  return photo.bytes.size() + region_bytes + copy + slice_bytes;
}

Rect CropFor(const SliceJob& job, Size photo, Mode mode) {
  return job.crop ? *job.crop : DefaultSourceRect(photo, mode);
}

Raster SliceJpeg(ProbedPhoto& photo, const SliceJob& job, const Rect& crop, Size slice) {
  if (crop.Width() <= 0 || crop.Height() <= 0) return MakeSlice(Raster(), crop, slice, job.slot);
  const Rect region = InsidePhoto(crop, photo.size);
  Raster pixels;
  if (region.Width() > 0) {
    pixels = DecodeJpegRegion(photo.bytes.data(), photo.bytes.size(), job.path, region);
  }
  std::vector<uint8_t>().swap(photo.bytes);  // the compressed data is done with
  if (RegionIsTheCrop(region, crop, pixels.Format() == PixelFormat::pf24bit)) {
    return ScaleCropToSlice(pixels, slice);
  }
  // The decoded region is the photo for MakeSlice, shifted to its origin.
  const Rect shifted{crop.left - region.left, crop.top - region.top, crop.right - region.left,
                     crop.bottom - region.top};
  return MakeSlice(pixels, shifted, slice, job.slot);
}

// Admits work while the pixels held stay under the limit; one job is
// always admitted when nothing else holds any, so a large photo runs alone.
class MemoryBudget {
 public:
  explicit MemoryBudget(uint64_t limit) : limit_(limit) {}
  uint64_t Limit() const { return limit_; }
  void Acquire(uint64_t bytes) {
    std::unique_lock lock(mutex_);
    freed_.wait(lock, [&] { return in_use_ == 0 || in_use_ + bytes <= limit_; });
    in_use_ += bytes;
  }
  void Release(uint64_t bytes) {
    {
      std::lock_guard lock(mutex_);
      in_use_ -= bytes;
    }
    freed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable freed_;
  uint64_t limit_;
  uint64_t in_use_ = 0;
};

class BudgetHold {
 public:
  BudgetHold(MemoryBudget& budget, uint64_t bytes) : budget_(budget), bytes_(bytes) {
    budget_.Acquire(bytes_);
  }
  ~BudgetHold() { budget_.Release(bytes_); }
  BudgetHold(const BudgetHold&) = delete;
  BudgetHold& operator=(const BudgetHold&) = delete;

 private:
  MemoryBudget& budget_;
  uint64_t bytes_;
};

// Reads, measures, waits for its share of the memory budget (if any), then
// decodes and slices one photo.
Raster SliceOne(const SliceJob& job, Size slice, Mode mode, MemoryBudget* budget) {
  ProbedPhoto photo = Probe(job);
  // A BMP's own size is known for sure only once decoded; its header's
  // claim (or the given crop) serves for the estimate.
  const Rect crop = photo.kind == PhotoKind::Jpeg ? CropFor(job, photo.size, mode)
                    : job.crop                    ? *job.crop
                                                  : Rect{0, 0, photo.size.width, photo.size.height};
  std::optional<BudgetHold> hold;
  if (budget != nullptr) hold.emplace(*budget, std::min(budget->Limit(), PeakBytes(photo, crop, slice)));
  if (photo.kind == PhotoKind::Jpeg) return SliceJpeg(photo, job, crop, slice);
  const Raster decoded = DecodeBmp(photo.bytes.data(), photo.bytes.size(), job.path);
  std::vector<uint8_t>().swap(photo.bytes);
  return MakeSlice(decoded, CropFor(job, Size{decoded.Width(), decoded.Height()}, mode), slice,
                   job.slot);
}

}  // namespace

Rect DefaultSourceRect(Size photo, Mode mode) {
  const Fit fit = ComputeFit(photo, photo);
  const Rect view = DefaultCropRect(fit, photo, mode);
  const CropRecord record{view.left, view.top, view.right, view.bottom, fit.offset_x, fit.offset_y, true};
  return MapCropToSource(record, fit.scale);
}

Raster PreparePhotoSlice(const SliceJob& job, Size slice, Mode mode) {
  return SliceOne(job, slice, mode, nullptr);
}

unsigned DecodeThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

std::vector<Raster> PrepareSlicesInParallel(const std::vector<SliceJob>& jobs, Size slice, Mode mode,
                                            unsigned threads, uint64_t memory_budget,
                                            const std::function<void()>& on_done) {
  std::vector<Raster> slices(jobs.size());
  std::vector<std::exception_ptr> errors(jobs.size());
  std::atomic<size_t> next{0};
  std::atomic<bool> failed{false};
  std::mutex done_mutex;
  MemoryBudget budget(memory_budget);

  const auto work = [&] {
    for (size_t i = next++; i < jobs.size() && !failed; i = next++) {
      try {
        slices[i] = SliceOne(jobs[i], slice, mode, &budget);
        if (on_done) {
          std::lock_guard lock(done_mutex);
          on_done();
        }
      } catch (...) {
        errors[i] = std::current_exception();
        failed = true;
      }
    }
  };

  const unsigned count = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(jobs.size())));
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < count; ++t) pool.emplace_back(work);
  work();
  for (std::thread& thread : pool) thread.join();
  for (const std::exception_ptr& error : errors) {
    if (error) std::rethrow_exception(error);
  }
  return slices;
}

}  // namespace lenti::cli
