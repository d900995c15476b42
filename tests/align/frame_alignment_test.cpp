// The accuracy the alignment promises, on generated sequences whose
// placements are known: shifts up to 60 pixels with fractional parts,
// turns up to 2 degrees, scale changes up to 3 %, with noise and JPEG
// compression at quality 85. Every frame of every row must come within
// 0.5 pixel of the true shift, 0.1 degree of the turn and 0.2 % of the scale.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "align/frame_alignment.h"
#include "aligned_scene.h"
#include "error_of.h"

namespace lenti {
namespace {

using testing::NoiseScene;
using testing::ShotPlacement;

struct SequenceCase {
  const char* name;
  AlignModel model;
  int width;
  int height;
  std::vector<ShotPlacement> shots;  // frame 2, 3, ...; frame 1 is the reference
};

class SequenceAccuracy : public ::testing::TestWithParam<SequenceCase> {};

Raster CameraShot(const NoiseScene& scene, int width, int height, const ShotPlacement& placement,
                  uint32_t seed) {
  return testing::ThroughJpeg(testing::Shot(scene, width, height, placement, 3.0, seed), 85);
}

TEST_P(SequenceAccuracy, EveryFrameWithinTolerance) {
  const SequenceCase& c = GetParam();
  const NoiseScene scene(7);
  const AlignImage reference(CameraShot(scene, c.width, c.height, {}, 1));
  const Rect area{c.width / 10, c.height / 10, c.width - c.width / 10, c.height - c.height / 10};
  for (size_t i = 0; i < c.shots.size(); ++i) {
    const ShotPlacement& truth = c.shots[i];
    const AlignImage frame(
        CameraShot(scene, c.width, c.height, truth, static_cast<uint32_t>(i + 2)));
    const FrameAlignment found =
        RegisterFrame(reference, frame, area, c.model, 1, static_cast<int>(i) + 2);
    // The truth is anchored at the photo's centre, as is the area here.
    SCOPED_TRACE("frame " + std::to_string(i + 2));
    EXPECT_NEAR(found.dx, truth.dx, 0.5);
    EXPECT_NEAR(found.dy, truth.dy, 0.5);
    EXPECT_NEAR(found.angle, truth.angle, 0.1);
    EXPECT_NEAR(found.scale, truth.scale, 0.002 * truth.scale);
  }
}

const SequenceCase kSequences[] = {
    {"RailShifts",
     AlignModel::Translation,
     640,
     480,
     {{12.3, -0.7}, {-37.65, 4.25}, {59.8, -21.4}, {0.4, 0.45}, {-59.5, 58.75}}},
    {"HandheldTurnsAndScales",
     AlignModel::Similarity,
     640,
     480,
     {{5.5, -3.2, 1.2, 1.012},
      {-41.7, 18.9, -2.0, 0.97},
      {58.3, -59.1, 0.7, 1.03},
      {-0.3, 0.6, -0.4, 0.995},
      {20.25, 33.5, 2.0, 0.985}}},
    {"HandheldOnALargerPhoto",
     AlignModel::Similarity,
     1800,
     1200,
     {{-55.4, 12.6, -1.5, 1.021}, {33.3, -47.8, 1.9, 0.976}}},
    {"RailWithoutTurns", AlignModel::Similarity, 640, 480, {{30.5, 0.25}, {-15.75, -2.5}}},
};

INSTANTIATE_TEST_SUITE_P(Generated, SequenceAccuracy, ::testing::ValuesIn(kSequences),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lenti
