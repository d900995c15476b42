// The key subject found again in every frame, and the frames that cannot
// be aligned: each refused with a message naming it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "align/frame_alignment.h"
#include "aligned_scene.h"
#include "error_of.h"

namespace lenti {
namespace {

using testing::ErrorOf;
using testing::NoiseScene;
using testing::ShotPlacement;

constexpr int kWidth = 640;
constexpr int kHeight = 480;

Raster CameraShot(const NoiseScene& scene, const ShotPlacement& placement, uint32_t seed = 2) {
  return testing::ThroughJpeg(testing::Shot(scene, kWidth, kHeight, placement, 3.0, seed), 85);
}

Raster Flat() {
  Raster photo(kWidth, kHeight, PixelFormat::pf24bit);
  photo.FillRect(photo.ClipRect(), Color{120, 130, 140});
  return photo;
}

struct SubjectCase {
  const char* name;
  AlignPoint subject;
  ShotPlacement shot;
};

class SubjectAccuracy : public ::testing::TestWithParam<SubjectCase> {};

// The subject's own point, wherever the shot's turn and scale put it.
TEST_P(SubjectAccuracy, FindsTheSubjectWithinHalfAPixel) {
  const SubjectCase& c = GetParam();
  const NoiseScene scene(11);
  const AlignImage reference(CameraShot(scene, {}, 1));
  const AlignImage frame(CameraShot(scene, c.shot));
  const FrameAlignment found = MatchSubject(reference, frame, c.subject, 1, 2);
  const FrameAlignment truth{
      {kWidth / 2.0, kHeight / 2.0}, c.shot.dx, c.shot.dy, c.shot.angle, c.shot.scale, 1};
  const AlignPoint expected = MapToFrame(truth, c.subject);
  EXPECT_NEAR(c.subject.x + found.dx, expected.x, 0.5);
  EXPECT_NEAR(c.subject.y + found.dy, expected.y, 0.5);
  EXPECT_GT(found.match, 0.6);
}

const SubjectCase kSubjects[] = {
    {"Centre", {320, 240}, {23.4, -11.6}},
    {"NearTheCorner", {40.5, 450.25}, {-12.25, -9.75}},
    {"FarShift", {400, 200}, {-58.6, 47.3}},
    {"HandheldShot", {250, 300}, {14.2, 6.8, 1.5, 1.02}},
};

INSTANTIATE_TEST_SUITE_P(Generated, SubjectAccuracy, ::testing::ValuesIn(kSubjects),
                         [](const auto& info) { return std::string(info.param.name); });

struct BadCase {
  const char* name;
  std::function<std::string()> attempt;
  const char* message;
};

class BadFrames : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadFrames, AreRefusedNamingTheFrame) {
  const std::string error = GetParam().attempt();
  EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
}

std::string Register(const Raster& reference, const Raster& frame,
                     AlignModel model = AlignModel::Similarity) {
  return ErrorOf([&] {
    RegisterFrame(AlignImage(reference), AlignImage(frame), Rect{0, 0, kWidth, kHeight}, model, 1,
                  3);
  });
}

std::string Match(const Raster& reference, const Raster& frame, AlignPoint subject) {
  return ErrorOf([&] { MatchSubject(AlignImage(reference), AlignImage(frame), subject, 1, 3); });
}

Raster Tiny(int width, int height) { return testing::Shot(NoiseScene(5), width, height, {}); }

const NoiseScene kScene(5);
const NoiseScene kOtherScene(6);

const BadCase kBadCases[] = {
    {"FlatFrame", [] { return Register(CameraShot(kScene, {}), Flat()); },
     "Photo 3 has no texture to align on (it is one flat colour)"},
    {"FlatReference", [] { return Register(Flat(), CameraShot(kScene, {})); },
     "The reference photo 1 has no texture to align on"},
    {"OtherScene", [] { return Register(CameraShot(kScene, {}), CameraShot(kOtherScene, {})); },
     "Photo 3 does not overlap the reference photo 1"},
    {"OtherSceneByShift",
     [] {
       return Register(CameraShot(kScene, {}), CameraShot(kScene, {700, 0}),
                       AlignModel::Translation);
     },
     "Photo 3 does not overlap the reference photo 1"},
    {"SubjectBesideThePhoto",
     [] {
       return Match(CameraShot(kScene, {}), CameraShot(kScene, {}), {700, 10});
     },
     "The subject point 700,10 lies outside the reference photo 1 (640 x 480 pixels)"},
    {"SubjectAboveThePhoto",
     [] {
       return Match(CameraShot(kScene, {}), CameraShot(kScene, {}), {10, -0.5});
     },
     "The subject point 10,-0.5 lies outside"},
    {"SubjectNotInTheFrame",
     [] {
       return Match(CameraShot(kScene, {}), CameraShot(kOtherScene, {}), {320, 240});
     },
     "The subject was not found in photo 3: the best match"},
    {"SubjectOnAFlatFrame",
     [] {
       return Match(CameraShot(kScene, {}), Flat(), {320, 240});
     },
     "Photo 3 has no texture to align on"},
    {"SubjectOnAFlatReference",
     [] {
       return Match(Flat(), CameraShot(kScene, {}), {320, 240});
     },
     "The reference photo 1 has no texture at the subject 320,240"},
    // Photos too small to hold a search: refused, never read past their edges.
    {"TinyFrame", [] { return Register(CameraShot(kScene, {}), Tiny(6, 5)); },
     "Photo 3 is too small to align (6 x 5 pixels)"},
    {"TinyArea",
     [] {
       return ErrorOf([] {
         RegisterFrame(AlignImage(CameraShot(kScene, {})), AlignImage(CameraShot(kScene, {})),
                       Rect{630, 0, 700, 480}, AlignModel::Similarity, 1, 3);
       });
     },
     "The area to align on in the reference photo 1 is too small to align (10 x 480 pixels)"},
    {"SubjectInATinyFrame",
     [] {
       return Match(CameraShot(kScene, {}), Tiny(5, 40), {320, 240});
     },
     "Photo 3 is too small to align (5 x 40 pixels)"},
};

INSTANTIATE_TEST_SUITE_P(Generated, BadFrames, ::testing::ValuesIn(kBadCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lenti
