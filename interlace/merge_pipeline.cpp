// The merge pipeline: slices made on worker threads, reported and
// interleaved on the calling thread.
#include "interlace/merge_pipeline.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "core/error.h"
#include "interlace/interleave.h"
#include "interlace/placed_frame.h"
#include "interlace/strip_plan.h"

namespace lenti {

namespace {

bool CancelRequested(const MergeRequest& request) {
  return request.cancel != nullptr && request.cancel->Requested();
}

uint64_t Area(int64_t w, int64_t h) { return w > 0 && h > 0 ? uint64_t(w) * uint64_t(h) : 0; }

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

// Bytes the frame holds at its peak: the source's, the crop copy (none when
// the region read is the whole crop) and the slice.
uint64_t FramePeakBytes(const PhotoSource& source, const Rect& crop, Size slice) {
  return source.PeakBytes(crop) + Area(crop.Width(), crop.Height()) * 3 +
         Area(slice.width, slice.height) * 3;
}

// Opens, crops and slices one frame; writes its working file if asked.
Raster SliceFrame(const PipelineFrame& frame, const MergeRequest& request, MemoryBudget& budget) {
  // An empty rectangle is refused before a large photo is read for nothing.
  if (frame.source_rect && frame.source_rect->IsEmpty()) throw Error(EmptyCropText(frame.slot));
  std::unique_ptr<PhotoSource> source = request.open(frame.path);
  Rect crop;
  if (frame.source_rect) {
    crop = *frame.source_rect;
  } else if (request.default_rect) {
    crop = request.default_rect(source->PixelSize());
  } else {
    throw Error(EmptyCropText(frame.slot));
  }
  Raster slice;
  {
    const Rect read = PlacedReadBounds(crop, frame.placement);
    const BudgetHold hold(budget, std::min(budget.Limit(), FramePeakBytes(*source, read, request.geometry.slice)));
    slice = SliceOfPlacedCrop(*source, crop, frame.placement, request.geometry.slice, frame.slot, request.sampling);
    source.reset();
  }
  if (CancelRequested(request)) throw Cancelled();
  if (!frame.work_file.empty()) WriteWorkFileAtomically(slice, frame.work_file);
  return slice;
}

}  // namespace

unsigned MachineThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

std::vector<Raster> PrepareSlices(const MergeRequest& request,
                                  const std::function<void(int slot)>& frame_done) {
  const size_t count = request.frames.size();
  std::vector<Raster> slices(count);
  std::vector<std::exception_ptr> errors(count);
  MemoryBudget budget(request.memory_budget);

  std::mutex mutex;
  std::condition_variable changed;
  size_t next = 0;            // guarded by mutex
  bool failed = false;        // guarded by mutex
  std::vector<size_t> done;   // finished frames not yet reported, guarded by mutex
  unsigned running = 0;       // guarded by mutex

  const auto work = [&] {
    for (;;) {
      size_t i;
      {
        std::lock_guard lock(mutex);
        if (failed || next >= count || CancelRequested(request)) break;
        i = next++;
      }
      try {
        Raster slice = SliceFrame(request.frames[i], request, budget);
        std::lock_guard lock(mutex);
        slices[i] = std::move(slice);
        done.push_back(i);
      } catch (...) {
        std::lock_guard lock(mutex);
        errors[i] = std::current_exception();
        failed = true;
      }
      changed.notify_all();
    }
    {
      std::lock_guard lock(mutex);
      --running;
    }
    changed.notify_all();
  };

  const unsigned wanted = request.threads == 0 ? MachineThreads() : request.threads;
  const unsigned threads = static_cast<unsigned>(std::max<size_t>(1, std::min<size_t>(wanted, count)));
  std::vector<std::thread> pool;
  std::exception_ptr caller_error;
  try {
    for (unsigned t = 0; t < threads && count > 0; ++t) {
      {
        std::lock_guard lock(mutex);
        ++running;
      }
      try {
        pool.emplace_back(work);
      } catch (...) {
        std::lock_guard lock(mutex);
        --running;
        if (pool.empty()) throw;
        break;  // fewer threads than wanted
      }
    }
    // The calling thread only waits and reports.
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [&] { return !done.empty() || running == 0; });
      std::vector<size_t> batch;
      batch.swap(done);
      const bool finished = running == 0;
      lock.unlock();
      if (frame_done) {
        for (size_t i : batch) frame_done(request.frames[i].slot);
      }
      lock.lock();
      if (finished && done.empty()) break;
    }
  } catch (...) {
    caller_error = std::current_exception();
    std::lock_guard lock(mutex);
    failed = true;
  }
  for (std::thread& thread : pool) thread.join();
  if (caller_error) std::rethrow_exception(caller_error);
  // A cancel outranks the errors of frames that stopped because of it.
  if (CancelRequested(request)) throw Cancelled();
  for (const std::exception_ptr& error : errors) {
    if (error) std::rethrow_exception(error);
  }
  return slices;
}

Raster RunMergePipeline(const MergeRequest& request, const MergeProgress& progress) {
  const std::vector<Raster> slices = PrepareSlices(request, progress.frame_done);
  std::vector<const Raster*> frames;
  frames.reserve(slices.size());
  for (const Raster& slice : slices) frames.push_back(&slice);
  const auto strip_done = [&] {
    if (CancelRequested(request)) throw Cancelled();
    if (progress.strip_done) progress.strip_done();
  };
  const auto frame_count = static_cast<int32_t>(frames.size());
  return Interleave(frames, request.geometry, frame_count, request.mode, strip_done);
}

MergeRequest RequestForLens(const LensGeometry& geometry, Mode mode, Sampling sampling) {
  MergeRequest request;
  request.geometry = geometry;
  request.mode = mode;
  request.sampling = sampling;
  return request;
}

}  // namespace lenti
