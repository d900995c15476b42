// A job's frames aligned and then prepared as the merge prepares them: the
// slices line up where alignment promised, and a frame that cannot be
// aligned keeps its crop.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "align/align_job.h"
#include "aligned_scene.h"
#include "core/file_io.h"
#include "intake/photo_source.h"
#include "interlace/merge_pipeline.h"
#include "temp_dir.h"

namespace lenti {
namespace {

using testing::NoiseScene;
using testing::ShotPlacement;
using testing::TempDir;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
const Rect kCrop{120, 90, 520, 390};

std::string WriteJpeg(const TempDir& dir, const std::string& name, const Raster& photo) {
  const std::string path = dir / name;
  const std::vector<uint8_t> bytes = EncodeJpeg(photo, 85);
  WriteWholeFile(path, bytes.data(), bytes.size());
  return path;
}

Job JobOf(const std::vector<std::string>& paths) {
  Job job;
  for (size_t i = 0; i < paths.size(); ++i) {
    JobFrame frame;
    frame.slot = static_cast<int>(i) + 1;
    frame.path = paths[i];
    frame.crop = kCrop;
    job.frames.push_back(frame);
  }
  return job;
}

// Each frame's slice at the crop's own size, through the merge pipeline.
std::vector<Raster> SlicesOf(const Job& job) {
  MergeRequest request;
  request.geometry.slice = Size{kCrop.Width(), kCrop.Height()};
  request.sampling = Sampling::Area;
  request.open = OpenPhotoSource;
  for (const JobFrame& frame : job.frames) {
    PipelineFrame f;
    f.slot = frame.slot;
    f.path = frame.path;
    f.source_rect = frame.crop;
    f.placement = frame.placement;
    request.frames.push_back(f);
  }
  return PrepareSlices(request);
}

// A rail sequence: the subject moves by one amount, the background behind
// it by another. Aligned on the subject, the subject stands still in every
// slice and the background keeps its parallax.
TEST(AlignJob, TheSubjectStandsStillAndTheBackgroundKeepsItsParallax) {
  TempDir dir;
  const NoiseScene background(21);
  const NoiseScene subject(22);
  const Rect where{260, 180, 420, 320};
  const std::vector<ShotPlacement> backgrounds{{0, 0}, {-6.5, 0.25}, {-13.25, 0.5}, {-19.75, 0.75}};
  const std::vector<ShotPlacement> subjects{{0, 0}, {3.25, -0.5}, {6.75, -1}, {10.5, -1.25}};
  std::vector<std::string> paths;
  for (size_t k = 0; k < backgrounds.size(); ++k) {
    paths.push_back(WriteJpeg(dir, "f" + std::to_string(k) + ".jpg",
                              testing::ParallaxShot(background, subject, kWidth, kHeight, where,
                                                    backgrounds[k], subjects[k])));
  }
  AlignSettings settings;
  settings.subject = AlignPoint{340, 250};
  const AlignedJob aligned = AlignJob(JobOf(paths), settings, 2);
  for (const FrameOutcome& outcome : aligned.outcomes)
    ASSERT_TRUE(outcome.alignment) << outcome.problem;

  const std::vector<Raster> slices = SlicesOf(aligned.job);
  const AlignImage first(slices[0]);
  const AlignPoint subject_in_slice{340.0 - kCrop.left, 250.0 - kCrop.top};
  const Rect above_subject{0, 0, kCrop.Width(), 60};
  for (size_t k = 1; k < slices.size(); ++k) {
    SCOPED_TRACE("frame " + std::to_string(k + 1));
    const AlignImage slice(slices[k]);
    const FrameAlignment still =
        MatchSubject(first, slice, subject_in_slice, 1, static_cast<int>(k) + 1);
    EXPECT_LT(std::hypot(still.dx, still.dy), 1.0);
    const FrameAlignment behind =
        RegisterFrame(first, slice, above_subject, AlignModel::Translation, 1, 2);
    EXPECT_NEAR(behind.dx, backgrounds[k].dx - subjects[k].dx, 1.0);
    EXPECT_NEAR(behind.dy, backgrounds[k].dy - subjects[k].dy, 1.0);
  }
}

// A handheld sequence registered with turn and scale: every slice shows
// the reference's crop again, to a fraction of a pixel.
TEST(AlignJob, HandheldFramesSliceToTheReferencesCrop) {
  TempDir dir;
  const NoiseScene scene(31);
  const std::vector<ShotPlacement> shots{{}, {14.5, -8.25, 1.6, 1.02}, {-22.75, 11.5, -1.1, 0.975}};
  std::vector<std::string> paths;
  for (size_t k = 0; k < shots.size(); ++k) {
    paths.push_back(
        WriteJpeg(dir, "h" + std::to_string(k) + ".jpg",
                  testing::Shot(scene, kWidth, kHeight, shots[k], 2.0, static_cast<uint32_t>(k))));
  }
  AlignSettings settings;
  settings.model = AlignModel::Similarity;
  const AlignedJob aligned = AlignJob(JobOf(paths), settings, 2);
  const std::vector<Raster> slices = SlicesOf(aligned.job);
  const AlignImage first(slices[0]);
  const Rect inner{40, 30, kCrop.Width() - 40, kCrop.Height() - 30};
  for (size_t k = 1; k < slices.size(); ++k) {
    SCOPED_TRACE("frame " + std::to_string(k + 1));
    const FrameAlignment left =
        RegisterFrame(first, AlignImage(slices[k]), inner, AlignModel::Similarity, 1, 2);
    EXPECT_LT(std::hypot(left.dx, left.dy), 0.5);
    EXPECT_NEAR(left.angle, 0, 0.1);
    EXPECT_NEAR(left.scale, 1, 0.002);
  }
}

TEST(AlignJob, AFrameThatCannotBeAlignedKeepsItsCropAndSaysWhy) {
  TempDir dir;
  const NoiseScene scene(41);
  Raster flat(kWidth, kHeight, PixelFormat::pf24bit);
  flat.FillRect(flat.ClipRect(), Color{90, 90, 90});
  const std::vector<std::string> paths{
      WriteJpeg(dir, "a.jpg", testing::Shot(scene, kWidth, kHeight, {})),
      WriteJpeg(dir, "b.jpg", flat),
      WriteJpeg(dir, "c.jpg", testing::Shot(scene, kWidth, kHeight, {5.5, -2}))};
  const AlignedJob aligned = AlignJob(JobOf(paths), AlignSettings{}, 2);
  EXPECT_EQ(aligned.outcomes[1].problem,
            "Photo 2 has no texture to align on (it is one flat colour)");
  EXPECT_EQ(aligned.job.frames[1].placement, FramePlacement{});
  EXPECT_EQ(aligned.job.frames[1].crop, kCrop);
  EXPECT_NEAR(aligned.job.frames[2].placement.shift_x, 5.5, 0.5);
  EXPECT_NEAR(aligned.job.frames[2].placement.shift_y, -2, 0.5);
}

TEST(AlignJob, AReferenceThatIsNotInTheJobIsNamed) {
  AlignSettings settings;
  settings.reference_slot = 5;
  EXPECT_THROW(
      {
        try {
          AlignJob(JobOf({"a.jpg", "b.jpg"}), settings);
        } catch (const Error& e) {
          EXPECT_STREQ(e.what(), "There is no photo 5 to align the others to");
          throw;
        }
      },
      Error);
}

}  // namespace
}  // namespace lenti
