// Photo recognition, the photo sources (the pixels of any rectangle exactly
// as a full decode has them) and the merge pipeline fed from them: threads,
// memory budget, which error wins, and where progress is reported.
#include "intake/photo_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/bmp_reader.h"
#include "core/bmp_writer.h"
#include "core/error.h"
#include "core/file_io.h"
#include "core/jpeg.h"
#include "error_of.h"
#include "fake_frontend.h"
#include "merge_to_end.h"
#include "intake/crop_frame.h"
#include "interlace/merge.h"
#include "interlace/merge_pipeline.h"
#include "slicing.h"
#include "pattern_photos.h"
#include "temp_dir.h"

namespace lenti {
namespace {

using testing::MakeSlice;
using testing::PrepareFrame;

namespace fs = std::filesystem;
using lenti::testing::ErrorOf;
using lenti::testing::FakeFrontend;
using lenti::testing::TempDir;

using lenti::testing::Grey;
using lenti::testing::Pattern;
using lenti::testing::SamePixels;
using lenti::testing::WriteJpeg;

// ---- the sources ----

struct SourceCase {
  const char* name;
  std::function<void(const std::string& path)> write;  // a 61 x 47 photo
  std::function<Raster(const std::string& path)> full_decode;
};

const SourceCase kSourceCases[] = {
    {"jpeg_colour", [](const std::string& p) { WriteJpeg(Pattern(61, 47, 3), p); }, LoadJpegFile},
    {"jpeg_grey", [](const std::string& p) { WriteJpeg(Grey(61, 47), p); }, LoadJpegFile},
    {"bmp_24bit", [](const std::string& p) { SaveBmpFile(Pattern(61, 47, 4), p); }, LoadBmpFile},
    {"bmp_8bit", [](const std::string& p) { SaveBmpFile(Grey(61, 47), p); }, LoadBmpFile},
};

class Sources : public ::testing::TestWithParam<SourceCase> {
 protected:
  TempDir dir_;
};

TEST_P(Sources, GiveThePixelsOfAFullDecodeInsideAcrossTheEdgeAndNoneOutside) {
  // No extension: the content alone decides.
  const std::string path = dir_.File("photo");
  GetParam().write(path);
  const Raster full = GetParam().full_decode(path);
  const std::unique_ptr<PhotoSource> source = OpenPhotoSource(path);
  ASSERT_EQ(source->PixelSize(), (Size{61, 47}));
  const Rect photo{0, 0, 61, 47};
  for (const Rect& wanted : {Rect{8, 16, 40, 33}, Rect{-5, -3, 20, 12}, Rect{50, 40, 70, 60},
                             Rect{0, 0, 61, 47}, Rect{17, 0, 18, 47}}) {
    const Rect inside = wanted.Intersected(photo);
    const Raster region = source->ReadRegion(wanted);
    ASSERT_EQ((Size{region.Width(), region.Height()}), (Size{inside.Width(), inside.Height()}));
    ASSERT_EQ(region.Format(), full.Format());
    for (int y = 0; y < region.Height(); ++y) {
      for (int x = 0; x < region.Width(); ++x) {
        ASSERT_EQ(region.PixelColor(x, y), full.PixelColor(inside.left + x, inside.top + y))
            << wanted.left << "," << wanted.top << " at " << x << "," << y;
      }
    }
    EXPECT_GE(source->PeakBytes(wanted), RowBytes(inside.Width(), full.Format()) * inside.Height());
  }
  const Raster outside = source->ReadRegion(Rect{100, 100, 120, 120});
  EXPECT_EQ(outside.Width(), 0);
  // The slice made from the source is MakeSlice's from the decoded photo.
  for (const Rect& crop : {Rect{8, 16, 40, 33}, Rect{-20, 10, 30, 70}, Rect{70, 70, 80, 80}}) {
    EXPECT_TRUE(SamePixels(SliceFromSource(*source, crop, Size{23, 9}, 1),
                           MakeSlice(full, crop, Size{23, 9}, 1)))
        << crop.left << "," << crop.top;
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, Sources, ::testing::ValuesIn(kSourceCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Recognition, GoesByContentNotByName) {
  TempDir dir;
  WriteJpeg(Pattern(8, 8, 1), dir.File("a.BMP"));
  SaveBmpFile(Pattern(8, 8, 1), dir.File("b.jpeg"));
  const std::vector<uint8_t> text{'B', 'Z', 'M'};
  WriteWholeFile(dir.File("c.jpg"), text.data(), text.size());
  WriteWholeFile(dir.File("d.bmp"), text.data(), 1);
  EXPECT_EQ(RecognisePhotoFile(dir.File("a.BMP")), PhotoKind::Jpeg);
  EXPECT_EQ(RecognisePhotoFile(dir.File("b.jpeg")), PhotoKind::Bmp);
  EXPECT_EQ(RecognisePhotoFile(dir.File("c.jpg")), PhotoKind::Other);
  EXPECT_EQ(RecognisePhotoFile(dir.File("d.bmp")), PhotoKind::Other);
  EXPECT_EQ(ErrorOf([&] { OpenPhotoSource(dir.File("d.bmp")); }),
            "File format error! \"" + dir.File("d.bmp") + "\" is not a JPEG, PNG, TIFF or BMP photo");
  EXPECT_EQ(ErrorOf([&] { RecognisePhotoFile(dir.File("gone.jpg")); }),
            "Cannot open file \"" + dir.File("gone.jpg") + "\". No such file or directory");
}

struct DefaultCase {
  Size photo;
  Mode mode;
  Rect source;
};

class DefaultCrop : public ::testing::TestWithParam<DefaultCase> {};

TEST_P(DefaultCrop, IsTheLargestCentredRectangleOfTheModesRatio) {
  EXPECT_EQ(DefaultSourceRect(GetParam().photo, GetParam().mode), GetParam().source);
}

TEST_P(DefaultCrop, IsWhatTheCropFramePlacesInAViewBoxTheSizeOfThePhoto) {
  const DefaultCase& c = GetParam();
  MakerState state;
  FakeFrontend ui;
  state.mode = c.mode;
  ui.scroll_box_outer = Size{c.photo.width + 2, c.photo.height + 2};
  ui.view = Picture(Raster(c.photo.width, c.photo.height, PixelFormat::pf24bit));
  FitAndFrame(state, ui);
  EXPECT_EQ(MapCropToSource(state.photos.CropRects[0], state.photos.CropScales[0]), c.source);
}

INSTANTIATE_TEST_SUITE_P(
    Photos, DefaultCrop,
    ::testing::Values(DefaultCase{{1600, 1200}, Mode::PortraitRows, {303, 0, 1297, 1200}},
                      DefaultCase{{1600, 1200}, Mode::LandscapeColumns, {76, 0, 1524, 1200}},
                      DefaultCase{{1200, 1600}, Mode::PortraitRows, {0, 76, 1200, 1524}},
                      DefaultCase{{1698, 2049}, Mode::PortraitRows, {0, 0, 1698, 2049}},
                      // 171 rows to spare: 85.5 centres at the even 86.
                      DefaultCase{{1000, 1000}, Mode::LandscapeColumns, {0, 86, 1000, 915}}));

// ---- the pipeline from photo sources ----

// The command line's frames: photo K in slot K, the default crop unless given.
struct SliceJob {
  int slot = 1;
  std::string path;
  std::optional<Rect> crop;
};

constexpr uint64_t kDefaultPhotoMemoryBudget = uint64_t{256} << 20;

MergeRequest RequestFor(const std::vector<SliceJob>& jobs, Size slice, Mode mode, unsigned threads,
                        uint64_t memory_budget) {
  MergeRequest request;
  request.geometry.slice = slice;
  request.mode = mode;
  request.open = OpenPhotoSource;
  request.default_rect = [mode](Size photo) { return DefaultSourceRect(photo, mode); };
  request.threads = threads;
  request.memory_budget = memory_budget;
  for (const SliceJob& job : jobs) request.frames.push_back(PipelineFrame{job.slot, job.path, job.crop, "", {}});
  return request;
}

std::vector<Raster> PrepareSlicesInParallel(const std::vector<SliceJob>& jobs, Size slice, Mode mode,
                                            unsigned threads, uint64_t memory_budget,
                                            const std::function<void()>& on_done = {}) {
  return PrepareSlices(RequestFor(jobs, slice, mode, threads, memory_budget), [&](int) {
    if (on_done) on_done();
  });
}

Raster PreparePhotoSlice(const SliceJob& job, Size slice, Mode mode) {
  return PrepareSlicesInParallel({job}, slice, mode, 1, kDefaultPhotoMemoryBudget).at(0);
}

class ParallelSlices : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 1; i <= 5; ++i) {
      const std::string path = dir_ / ("p" + std::to_string(i) + ".jpg");
      WriteJpeg(Pattern(120 + 10 * i, 150, i), path);
      jobs_.push_back(SliceJob{i, path, std::nullopt});
    }
  }
  TempDir dir_;
  std::vector<SliceJob> jobs_;
  const Size slice_{200, 50};
};

TEST_F(ParallelSlices, ManyThreadsAndATinyBudgetGiveWhatOneThreadGives) {
  int done = 0;
  const std::vector<Raster> one = PrepareSlicesInParallel(jobs_, slice_, Mode::PortraitRows, 1,
                                                          kDefaultPhotoMemoryBudget, [&] { ++done; });
  EXPECT_EQ(done, 5);
  const std::vector<Raster> many = PrepareSlicesInParallel(jobs_, slice_, Mode::PortraitRows, 4, 1);
  ASSERT_EQ(one.size(), 5u);
  ASSERT_EQ(many.size(), 5u);
  for (size_t i = 0; i < one.size(); ++i) {
    EXPECT_TRUE(SamePixels(one[i], many[i])) << "photo " << i + 1;
    EXPECT_TRUE(SamePixels(one[i], PreparePhotoSlice(jobs_[i], slice_, Mode::PortraitRows)));
  }
}

TEST_F(ParallelSlices, TheLowestFailingPhotoIsReported) {
  jobs_[3].path = dir_ / "gone4.jpg";
  jobs_[1].path = dir_ / "gone2.jpg";
  try {
    PrepareSlicesInParallel(jobs_, slice_, Mode::PortraitRows, 3, kDefaultPhotoMemoryBudget);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("gone2.jpg"), std::string::npos) << e.what();
  }
}

TEST_F(ParallelSlices, ARefusedFileSaysItIsNoPhoto) {
  const std::string text = "not a picture";
  WriteWholeFile(dir_ / "notes.jpg", reinterpret_cast<const uint8_t*>(text.data()), text.size());
  jobs_[0].path = dir_ / "notes.jpg";
  try {
    PreparePhotoSlice(jobs_[0], slice_, Mode::PortraitRows);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()),
              "File format error! \"" + jobs_[0].path + "\" is not a JPEG, PNG, TIFF or BMP photo");
  }
}

TEST_F(ParallelSlices, ACropOffThePhotoGivesAWhiteSlice) {
  jobs_[0].crop = Rect{1000, 1000, 1100, 1100};
  const Raster slice = PreparePhotoSlice(jobs_[0], slice_, Mode::PortraitRows);
  for (int y = 0; y < slice.Height(); y += 7) {
    for (int x = 0; x < slice.Width(); x += 7) ASSERT_EQ(slice.PixelColor(x, y), kWhite);
  }
}

TEST_F(ParallelSlices, TheLowestSlotWinsWhateverFailsFirst) {
  // Slot 2 fails late (a damaged photo is decoded first), slot 4 at once
  // (an empty crop, refused before reading): slot 2's error is raised.
  std::vector<uint8_t> damaged = ReadWholeFile(jobs_[1].path);
  damaged.resize(damaged.size() / 2);
  WriteWholeFile(jobs_[1].path, damaged.data(), damaged.size());
  jobs_[3].crop = Rect{10, 10, 10, 40};
  for (int run = 0; run < 5; ++run) {
    const std::string error = ErrorOf([&] {
      PrepareSlicesInParallel(jobs_, slice_, Mode::PortraitRows, 4, kDefaultPhotoMemoryBudget);
    });
    EXPECT_NE(error.find("p2.jpg"), std::string::npos) << error;
  }
  EXPECT_EQ(ErrorOf([&] { PreparePhotoSlice(jobs_[3], slice_, Mode::PortraitRows); }),
            "The crop rectangle of photo 4 is empty");
}

TEST_F(ParallelSlices, ProgressIsReportedOnTheCallingThreadOnly) {
  MergeRequest request = RequestFor(jobs_, slice_, Mode::PortraitRows, 4, kDefaultPhotoMemoryBudget);
  request.frames.resize(2);
  request.geometry = WholeStripGeometry(ComputeOutputGeometry(2, 212500, Mode::PortraitRows), 2, Mode::PortraitRows);
  const std::thread::id caller = std::this_thread::get_id();
  std::vector<int> slots;
  int strips = 0;
  std::atomic<int> elsewhere{0};
  MergeProgress progress;
  progress.frame_done = [&](int slot) {
    if (std::this_thread::get_id() != caller) ++elsewhere;
    slots.push_back(slot);
  };
  progress.strip_done = [&] {
    if (std::this_thread::get_id() != caller) ++elsewhere;
    ++strips;
  };
  const Raster merged = RunMergePipeline(request, progress);
  EXPECT_EQ(elsewhere.load(), 0);
  std::sort(slots.begin(), slots.end());
  EXPECT_EQ(slots, (std::vector<int>{1, 2}));
  EXPECT_EQ(strips, 293);  // 2 frames of 2049 rows in strips of 7
  EXPECT_EQ(merged.Width(), request.geometry.output.OutputWidth);
}

TEST_F(ParallelSlices, AFailingProgressCallbackStopsTheWorkersAndIsRaised) {
  const std::string error = ErrorOf([&] {
    PrepareSlices(RequestFor(jobs_, slice_, Mode::PortraitRows, 2, kDefaultPhotoMemoryBudget),
                  [](int) { throw Error("cancelled"); });
  });
  EXPECT_EQ(error, "cancelled");
}

// Sixteen frames from repeated photos of both kinds through the window's
// merge (BMP working files) and through the pipeline from the photos
// themselves: the same picture.
TEST(SameMerge, WindowAndPhotoSourcesGiveTheSamePicture) {
  TempDir dir;
  fs::create_directory(dir.File("work"));
  WriteJpeg(Pattern(300, 362, 1), dir.File("a.jpg"));
  SaveBmpFile(Pattern(280, 340, 2), dir.File("b.bmp"));
  SaveBmpFile(Grey(250, 333), dir.File("c.bmp"));
  SaveBmpFile(LoadJpegFile(dir.File("a.jpg")), dir.File("work/t01.bmp"));
  MakerState state;
  state.photos.FrameCount = 16;
  MergeRequest request;
  request.open = OpenPhotoSource;
  for (int slot = 1; slot <= 16; ++slot) {
    const int kind = slot % 3;
    const std::string photo = dir.File(kind == 0 ? "a.jpg" : kind == 1 ? "b.bmp" : "c.bmp");
    state.photos.SlotFiles[slot - 1] = kind == 0 ? dir.File("work/t01.bmp") : photo;
    const Rect r{slot * 3 - 20, slot * 2, 200 + slot, 260 + slot * 3};
    state.photos.CropRects[slot - 1] = CropRecord{r.left, r.top, r.right, r.bottom, 0, 0, true};
    state.photos.CropScales[slot - 1] = 10000;
    request.frames.push_back(PipelineFrame{slot, photo, r, "", {}});
  }
  for (Mode mode : {Mode::PortraitRows, Mode::LandscapeColumns}) {
    FakeFrontend ui;
    state.mode = mode;
    ASSERT_TRUE(MergeToEnd(state, ui, ui, ui, dir.File("work")).merged);
    request.mode = mode;
    request.geometry = WholeStripGeometry(ComputeOutputGeometry(16, state.lens.LensLpiX, mode), 16, mode);
    EXPECT_TRUE(SamePixels(RunMergePipeline(request), *state.merged.MergedBitmap)) << static_cast<int>(mode);
    // The window wrote every slot's slice as its working file.
    EXPECT_EQ(LoadBmpFile(dir.File("work/x16.bmp")).Width(), request.geometry.slice.width);
  }
}

}  // namespace
}  // namespace lenti
