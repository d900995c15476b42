#include "align/frame_alignment.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include <opencv2/imgproc.hpp>
#include <opencv2/video/tracking.hpp>

#include "align/align_pyramid.h"
#include "core/error.h"

namespace lenti {

namespace {

// Below this standard deviation (grey levels) a picture is one flat colour.
constexpr double kFlatDeviation = 2.0;
// Registration below this correlation has found no common content.
constexpr double kMinCorrelation = 0.5;
// A subject matched below this normalised correlation is not trusted.
constexpr double kMinSubjectMatch = 0.8;
// The coarse search's template takes in some of the subject's surroundings,
// which may move otherwise (parallax): it only has to point the way.
constexpr double kMinCoarseMatch = 0.5;
// The least part of the area that must lie inside the frame.
constexpr double kMinOverlap = 0.25;
// The coarsest level used still shows the area this many pixels across.
constexpr int kMinLevelArea = 48;
// The patch refined at each finer level, pixels a side.
constexpr int kRefinePatch = 256;
// Half the side of the subject's template at full size, and the least half
// side of the one the coarse search takes (more of the subject's
// surroundings, so that a small photo's reduced copy still tells places apart).
constexpr int kSubjectHalf = 48;
constexpr int kMinCoarseHalf = 20;
constexpr int kEccSmoothing = 1;  // none

// The reference's pixel-centre coordinates to the frame's (full size or
// one level's): q = a p + b.
struct PointMap {
  cv::Matx22d a = cv::Matx22d::eye();
  cv::Vec2d b{0, 0};
  cv::Vec2d Apply(cv::Vec2d p) const { return a * p + b; }
};

cv::Vec2d LevelOffset(int factor) { return cv::Vec2d(1, 1) * ((factor - 1) / 2.0); }

PointMap ToLevel(const PointMap& full, int factor) {
  const cv::Vec2d o = LevelOffset(factor);
  return PointMap{full.a, (full.b - o + full.a * o) / factor};
}

PointMap FromLevel(const PointMap& level, int factor) {
  const cv::Vec2d o = LevelOffset(factor);
  return PointMap{level.a, level.b * factor + o - level.a * o};
}

// The ECC warp takes the template patch's own coordinates (origin at the
// patch's top left) to the frame's.
cv::Mat WarpOf(const PointMap& map, cv::Point origin) {
  const cv::Vec2d t = map.Apply(cv::Vec2d(origin.x, origin.y));
  cv::Mat warp(2, 3, CV_32F);
  warp.at<float>(0, 0) = static_cast<float>(map.a(0, 0));
  warp.at<float>(0, 1) = static_cast<float>(map.a(0, 1));
  warp.at<float>(1, 0) = static_cast<float>(map.a(1, 0));
  warp.at<float>(1, 1) = static_cast<float>(map.a(1, 1));
  warp.at<float>(0, 2) = static_cast<float>(t[0]);
  warp.at<float>(1, 2) = static_cast<float>(t[1]);
  return warp;
}

PointMap MapOfWarp(const cv::Mat& warp, cv::Point origin) {
  PointMap map;
  map.a = cv::Matx22d(warp.at<float>(0, 0), warp.at<float>(0, 1), warp.at<float>(1, 0),
                      warp.at<float>(1, 1));
  map.b =
      cv::Vec2d(warp.at<float>(0, 2), warp.at<float>(1, 2)) - map.a * cv::Vec2d(origin.x, origin.y);
  return map;
}

// The turn and scale nearest to a general linear map, keeping where
// `centre` goes.
PointMap NearestSimilarity(const PointMap& map, cv::Vec2d centre) {
  const double c = (map.a(0, 0) + map.a(1, 1)) / 2;
  const double s = (map.a(0, 1) - map.a(1, 0)) / 2;
  PointMap similar{cv::Matx22d(c, s, -s, c), {}};
  similar.b = map.Apply(centre) - similar.a * centre;
  return similar;
}

double Deviation(const cv::Mat& pixels) {
  cv::Scalar mean;
  cv::Scalar deviation;
  cv::meanStdDev(pixels, mean, deviation);
  return deviation[0];
}

cv::Rect WholeOf(const cv::Mat& m) { return cv::Rect(0, 0, m.cols, m.rows); }

// `area` (full-size pixels) as the level's pixels it touches, within the level.
cv::Rect LevelRect(const Rect& area, int factor, const cv::Mat& level) {
  const int left = static_cast<int>(std::floor(static_cast<double>(area.left) / factor));
  const int top = static_cast<int>(std::floor(static_cast<double>(area.top) / factor));
  const int right = static_cast<int>(std::ceil(static_cast<double>(area.right) / factor));
  const int bottom = static_cast<int>(std::ceil(static_cast<double>(area.bottom) / factor));
  return cv::Rect(left, top, right - left, bottom - top) & WholeOf(level);
}

// Of the patches of `side` pixels a side on a 3 x 3 grid over `area`, the
// one with the most texture; the area itself when it is no larger.
cv::Rect MostTexturedPatch(const cv::Mat& level, const cv::Rect& area, int side) {
  const int w = std::min(side, area.width);
  const int h = std::min(side, area.height);
  cv::Rect best(area.x + (area.width - w) / 2, area.y + (area.height - h) / 2, w, h);
  if (w == area.width && h == area.height) return best;
  double most = Deviation(level(best));
  for (int gy = 0; gy < 3; ++gy) {
    for (int gx = 0; gx < 3; ++gx) {
      const cv::Rect patch(area.x + (area.width - w) * gx / 2, area.y + (area.height - h) * gy / 2,
                           w, h);
      const double deviation = Deviation(level(patch));
      if (deviation > most * 1.25) {  // the centre wins ties: it is what the person framed
        most = deviation;
        best = patch;
      }
    }
  }
  return best;
}

// Fewer pixels across than this leave nothing to search in.
constexpr int kMinSide = 16;

// `what` is "Photo %d", "The reference photo %d" or the area in it.
void RequireSearchable(Size size, const std::string& what) {
  if (size.width < kMinSide || size.height < kMinSide) {
    throw Error(
        Format("%s is too small to align (%d x %d pixels)", what.c_str(), size.width, size.height));
  }
}

[[noreturn]] void NoTexture(int slot, bool reference) {
  throw Error(Format("%s %d has no texture to align on (it is one flat colour)",
                     reference ? "The reference photo" : "Photo", slot));
}

[[noreturn]] void NoOverlap(int slot, int reference_slot) {
  throw Error(Format("Photo %d does not overlap the reference photo %d", slot, reference_slot));
}

// The part of `frame` the patch can reach under `map`, with a margin for
// the answer to move in: ECC then smooths and differentiates only that
// much of a large photo.
cv::Rect ReachOf(const PointMap& map, const cv::Rect& patch, const cv::Mat& frame) {
  double left = 1e300;
  double top = 1e300;
  double right = -1e300;
  double bottom = -1e300;
  for (const cv::Point corner : {patch.tl(), patch.br(), cv::Point(patch.x, patch.br().y),
                                 cv::Point(patch.br().x, patch.y)}) {
    const cv::Vec2d q = map.Apply(cv::Vec2d(corner.x, corner.y));
    left = std::min(left, q[0]);
    top = std::min(top, q[1]);
    right = std::max(right, q[0]);
    bottom = std::max(bottom, q[1]);
  }
  constexpr double kMargin = 12;
  if (!(right - left < 1e7 && bottom - top < 1e7)) return {};
  const cv::Rect reach(static_cast<int>(std::floor(left - kMargin)),
                       static_cast<int>(std::floor(top - kMargin)),
                       static_cast<int>(std::ceil(right - left + 2 * kMargin)),
                       static_cast<int>(std::ceil(bottom - top + 2 * kMargin)));
  return reach & WholeOf(frame);
}

// ECC from `map`'s start on the patch; the correlation reached, or a
// negative number when it did not converge. No smoothing: a smoothed
// template is blurred against its own border and pulls the scale inwards.
double RefineByEcc(const cv::Mat& reference, const cv::Rect& patch, const cv::Mat& frame,
                   int motion, PointMap& map, int iterations) {
  const cv::Rect reach = ReachOf(map, patch, frame);
  if (reach.width < 8 || reach.height < 8) return -1;
  PointMap local = map;
  local.b -= cv::Vec2d(reach.x, reach.y);
  cv::Mat warp = WarpOf(local, patch.tl());
  try {
    const cv::TermCriteria stop(cv::TermCriteria::COUNT | cv::TermCriteria::EPS, iterations, 1e-4);
    const double correlation = cv::findTransformECC(reference(patch), frame(reach), warp, motion,
                                                    stop, cv::noArray(), kEccSmoothing);
    map = MapOfWarp(warp, patch.tl());
    map.b += cv::Vec2d(reach.x, reach.y);
    return correlation;
  } catch (const cv::Exception&) {
    return -1;
  }
}

// The coarsest level on which `area` is still kMinLevelArea pixels across
// in both photos.
size_t CoarseLevel(const AlignPyramid& reference, const AlignPyramid& frame, const Rect& area) {
  size_t level = std::min(reference.levels.size(), frame.levels.size()) - 1;
  while (level > 0 &&
         std::min(area.Width(), area.Height()) / reference.Factor(level) < kMinLevelArea)
    --level;
  return level;
}

cv::Mat AsFloat(const cv::Mat& pixels) {
  cv::Mat floats;
  pixels.convertTo(floats, CV_32F);
  return floats;
}

// A first shift on the coarse level by phase correlation over the area.
PointMap CoarseShift(const cv::Mat& reference, const cv::Mat& frame, const cv::Rect& area, int slot,
                     int reference_slot) {
  const cv::Rect common = area & WholeOf(frame);
  if (common.width < 8 || common.height < 8) NoOverlap(slot, reference_slot);
  cv::Mat window;
  cv::createHanningWindow(window, common.size(), CV_32F);
  const cv::Point2d shift =
      cv::phaseCorrelate(AsFloat(reference(common)), AsFloat(frame(common)), window);
  return PointMap{cv::Matx22d::eye(), cv::Vec2d(shift.x, shift.y)};
}

// The part of `area` that lies inside a frame of `size` once moved by `shift`.
double OverlapShare(const Rect& area, cv::Vec2d shift, cv::Size size) {
  const double left = std::max(0.0, area.left + shift[0]);
  const double top = std::max(0.0, area.top + shift[1]);
  const double right = std::min(static_cast<double>(size.width), area.right + shift[0]);
  const double bottom = std::min(static_cast<double>(size.height), area.bottom + shift[1]);
  if (right <= left || bottom <= top) return 0;
  return (right - left) * (bottom - top) / (static_cast<double>(area.Width()) * area.Height());
}

// The answer about the anchor (pixel edges at whole numbers).
FrameAlignment AlignmentOf(const PointMap& map, AlignPoint anchor, double match) {
  const cv::Vec2d centre(anchor.x - 0.5, anchor.y - 0.5);
  const cv::Vec2d moved = map.Apply(centre) - centre;
  FrameAlignment alignment;
  alignment.anchor = anchor;
  alignment.dx = moved[0];
  alignment.dy = moved[1];
  const double c = (map.a(0, 0) + map.a(1, 1)) / 2;
  const double s = (map.a(0, 1) - map.a(1, 0)) / 2;
  alignment.angle = std::atan2(s, c) * 180 / std::numbers::pi;
  alignment.scale = std::hypot(c, s);
  alignment.match = match;
  return alignment;
}

std::string PointText(AlignPoint p) { return Format("%g,%g", p.x, p.y); }

}  // namespace

AlignPoint MapToFrame(const FrameAlignment& alignment, AlignPoint p) {
  const double turn = alignment.angle * std::numbers::pi / 180;
  const double c = alignment.scale * std::cos(turn);
  const double s = alignment.scale * std::sin(turn);
  const double ux = p.x - alignment.anchor.x;
  const double uy = p.y - alignment.anchor.y;
  return AlignPoint{alignment.anchor.x + alignment.dx + c * ux + s * uy,
                    alignment.anchor.y + alignment.dy - s * ux + c * uy};
}

namespace {

// The image library's own failure (a size it cannot work with) as this
// program's error, naming the frame.
template <typename Work>
FrameAlignment NamingTheFrame(int frame_slot, Work work) {
  try {
    return work();
  } catch (const cv::Exception& e) {
    throw Error(Format("Photo %d could not be aligned (%s)", frame_slot, e.err.c_str()));
  }
}

FrameAlignment Register(const AlignImage& reference, const AlignImage& frame, const Rect& area,
                        AlignModel model, int reference_slot, int frame_slot) {
  const AlignPyramid& ref = reference.Levels();
  const AlignPyramid& img = frame.Levels();
  const Size size = reference.PixelSize();
  const Rect clipped = area.Intersected(Rect{0, 0, size.width, size.height});
  if (clipped.IsEmpty())
    throw Error(Format("The area to align on lies outside the reference photo %d", reference_slot));
  RequireSearchable(Size{clipped.Width(), clipped.Height()},
                    Format("The area to align on in the reference photo %d", reference_slot));
  RequireSearchable(frame.PixelSize(), Format("Photo %d", frame_slot));
  const int motion = model == AlignModel::Similarity ? cv::MOTION_AFFINE : cv::MOTION_TRANSLATION;

  // Coarse: the whole area on a reduced copy.
  const size_t top = CoarseLevel(ref, img, clipped);
  const int factor = ref.Factor(top);
  const cv::Rect coarse_area = LevelRect(clipped, factor, ref.levels[top]);
  if (Deviation(ref.levels[top](coarse_area)) < kFlatDeviation) NoTexture(reference_slot, true);
  if (Deviation(img.levels[top]) < kFlatDeviation) NoTexture(frame_slot, false);
  PointMap map =
      CoarseShift(ref.levels[top], img.levels[top], coarse_area, frame_slot, reference_slot);
  const double coarse_match =
      RefineByEcc(ref.levels[top], coarse_area, img.levels[top], motion, map, 60);
  if (coarse_match < kMinCorrelation) NoOverlap(frame_slot, reference_slot);
  const cv::Vec2d area_centre(coarse_area.x + coarse_area.width / 2.0,
                              coarse_area.y + coarse_area.height / 2.0);
  if (model == AlignModel::Similarity) map = NearestSimilarity(map, area_centre);
  PointMap full = FromLevel(map, factor);
  const cv::Vec2d centre((clipped.left + clipped.right) / 2.0 - 0.5,
                         (clipped.top + clipped.bottom) / 2.0 - 0.5);
  const cv::Size frame_size = WholeOf(img.levels.front()).size();
  if (OverlapShare(clipped, full.Apply(centre) - centre, frame_size) < kMinOverlap)
    NoOverlap(frame_slot, reference_slot);

  // Finer levels: the shift refined on the most textured patch, the turn
  // and scale kept from the whole area's wider reach.
  double match = coarse_match;
  for (size_t level = top; level-- > 0;) {
    const int f = ref.Factor(level);
    const cv::Mat& pixels = ref.levels[level];
    const cv::Rect patch = MostTexturedPatch(pixels, LevelRect(clipped, f, pixels), kRefinePatch);
    if (Deviation(pixels(patch)) < kFlatDeviation) continue;
    PointMap refined = ToLevel(full, f);
    const double correlation =
        RefineByEcc(pixels, patch, img.levels[level], cv::MOTION_TRANSLATION, refined, 30);
    if (correlation < kMinCorrelation) continue;
    full = FromLevel(refined, f);
    match = correlation;
  }
  return AlignmentOf(
      full, AlignPoint{(clipped.left + clipped.right) / 2.0, (clipped.top + clipped.bottom) / 2.0},
      match);
}

}  // namespace

FrameAlignment RegisterFrame(const AlignImage& reference, const AlignImage& frame, const Rect& area,
                             AlignModel model, int reference_slot, int frame_slot) {
  return NamingTheFrame(frame_slot, [&] {
    return Register(reference, frame, area, model, reference_slot, frame_slot);
  });
}

namespace {

struct TemplateMatch {
  cv::Point2d at;  // the template's top left in the frame, to a fraction of a pixel
  double score = 0;
};

// The vertex of the parabola through three samples around a peak at 0.
double PeakOffset(float before, float at, float after) {
  const double curvature = before - 2.0 * at + after;
  if (curvature >= 0) return 0;
  return std::clamp(0.5 * (before - after) / curvature, -0.5, 0.5);
}

// The best place of `templ` in `frame` within `window` (frame pixels). A
// window reaching past the frame's edges sees them repeated there, so that
// a subject near an edge that the frame moved partly out still matches by
// the part it keeps.
TemplateMatch BestPlace(const cv::Mat& templ, const cv::Mat& frame, cv::Rect window) {
  const cv::Rect inside = window & WholeOf(frame);
  if (inside.width < 2 || inside.height < 2) return {};
  cv::Mat searched;
  cv::copyMakeBorder(frame(inside), searched, inside.y - window.y, window.br().y - inside.br().y,
                     inside.x - window.x, window.br().x - inside.br().x, cv::BORDER_REPLICATE);
  if (searched.cols < templ.cols || searched.rows < templ.rows) return {};
  cv::Mat scores;
  cv::matchTemplate(searched, templ, scores, cv::TM_CCOEFF_NORMED);
  double best = 0;
  cv::Point peak;
  cv::minMaxLoc(scores, nullptr, &best, nullptr, &peak);
  cv::Point2d at(peak.x, peak.y);
  if (peak.x > 0 && peak.x + 1 < scores.cols) {
    at.x += PeakOffset(scores.at<float>(peak.y, peak.x - 1), scores.at<float>(peak.y, peak.x),
                       scores.at<float>(peak.y, peak.x + 1));
  }
  if (peak.y > 0 && peak.y + 1 < scores.rows) {
    at.y += PeakOffset(scores.at<float>(peak.y - 1, peak.x), scores.at<float>(peak.y, peak.x),
                       scores.at<float>(peak.y + 1, peak.x));
  }
  return TemplateMatch{at + cv::Point2d(window.x, window.y), best};
}

cv::Rect Around(cv::Point centre, int half, const cv::Mat& within) {
  return cv::Rect(centre.x - half, centre.y - half, 2 * half + 1, 2 * half + 1) & WholeOf(within);
}

}  // namespace

namespace {

FrameAlignment Match(const AlignImage& reference, const AlignImage& frame, AlignPoint subject,
                     int reference_slot, int frame_slot) {
  const Size size = reference.PixelSize();
  if (!(subject.x >= 0 && subject.y >= 0 && subject.x < size.width && subject.y < size.height)) {
    throw Error(Format("The subject point %s lies outside the reference photo %d (%d x %d pixels)",
                       PointText(subject).c_str(), reference_slot, size.width, size.height));
  }
  RequireSearchable(size, Format("The reference photo %d", reference_slot));
  RequireSearchable(frame.PixelSize(), Format("Photo %d", frame_slot));
  const AlignPyramid& ref = reference.Levels();
  const AlignPyramid& img = frame.Levels();
  const cv::Point pixel(static_cast<int>(subject.x), static_cast<int>(subject.y));
  const cv::Rect templ_rect = Around(pixel, kSubjectHalf, ref.levels.front());
  const cv::Mat templ = ref.levels.front()(templ_rect);
  if (Deviation(templ) < kFlatDeviation) {
    throw Error(Format("The reference photo %d has no texture at the subject %s to align on",
                       reference_slot, PointText(subject).c_str()));
  }
  if (Deviation(img.levels.front()) < kFlatDeviation) NoTexture(frame_slot, false);

  // Coarse: the template searched over a wide window of a reduced copy.
  size_t level = std::min(ref.levels.size(), img.levels.size()) - 1;
  while (level > 0 && std::min(ref.levels[level].cols, ref.levels[level].rows) < 4 * kMinCoarseHalf)
    --level;
  cv::Point2d guess(templ_rect.x, templ_rect.y);  // where the template lies in the frame
  if (level > 0) {
    const int f = ref.Factor(level);
    const cv::Mat& small = ref.levels[level];
    const cv::Point small_pixel(pixel.x / f, pixel.y / f);
    const int half = std::max(kSubjectHalf / f, kMinCoarseHalf);
    const cv::Rect small_rect = Around(small_pixel, half, small);
    const cv::Mat& small_frame = img.levels[level];
    const int reach = std::max(small_frame.cols, small_frame.rows) / 4 + half;
    const TemplateMatch coarse = BestPlace(
        small(small_rect), small_frame,
        cv::Rect(small_pixel.x - reach, small_pixel.y - reach, 2 * reach + 1, 2 * reach + 1));
    if (coarse.score < kMinCoarseMatch) {
      throw Error(Format(
          "The subject was not found in photo %d: the best match (%.2f) is too weak to trust",
          frame_slot, coarse.score));
    }
    guess += (coarse.at - cv::Point2d(small_rect.x, small_rect.y)) * f;
  }
  // Fine: the full-size template near the coarse answer, then ECC.
  const int margin = ref.Factor(level) + 2;
  const cv::Rect window(static_cast<int>(std::lround(guess.x)) - margin,
                        static_cast<int>(std::lround(guess.y)) - margin, templ.cols + 2 * margin,
                        templ.rows + 2 * margin);
  const TemplateMatch fine = BestPlace(templ, img.levels.front(), window);
  if (fine.score < kMinSubjectMatch) {
    throw Error(
        Format("The subject was not found in photo %d: the best match (%.2f) is too weak to trust",
               frame_slot, fine.score));
  }
  PointMap map{cv::Matx22d::eye(), cv::Vec2d(fine.at.x - templ_rect.x, fine.at.y - templ_rect.y)};
  PointMap refined = map;
  if (RefineByEcc(ref.levels.front(), templ_rect, img.levels.front(), cv::MOTION_TRANSLATION,
                  refined, 30) >= kMinSubjectMatch &&
      cv::norm(refined.b - map.b) < 1.5) {
    map = refined;
  }
  return AlignmentOf(map, subject, fine.score);
}

}  // namespace

FrameAlignment MatchSubject(const AlignImage& reference, const AlignImage& frame,
                            AlignPoint subject, int reference_slot, int frame_slot) {
  return NamingTheFrame(
      frame_slot, [&] { return Match(reference, frame, subject, reference_slot, frame_slot); });
}

}  // namespace lenti
