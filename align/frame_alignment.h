// Where a frame's content lies against the reference photo's: automatic
// registration over an area (translation for rail shots, or translation,
// turn and scale for handheld ones) and the key subject found again by
// template matching. Both work on the reduced copies first and are refined
// at full size near the answer, to a fraction of a pixel.
//
// Coordinates are full-size photo pixels with pixel k spanning k..k+1 (the
// crop rectangle's). An alignment about the anchor point a of the reference
// says that the reference's point p lies in the frame at
//   a + (dx, dy) + scale * R(angle) * (p - a),
// R turning by `angle` degrees counter-clockwise as the photo is seen (y
// grows downwards). A frame whose content sits 10 pixels further right has
// dx = 10.
//
// A frame that cannot be aligned raises an Error naming it: no texture (one
// flat colour), no overlap with the reference, a subject point outside the
// reference, a match too weak to trust.
#pragma once

#include "align/align_image.h"
#include "core/geometry.h"

namespace lenti {

enum class AlignModel { Translation, Similarity };

struct AlignPoint {
  double x = 0;
  double y = 0;
};

struct FrameAlignment {
  AlignPoint anchor;  // in the reference
  double dx = 0;
  double dy = 0;
  double angle = 0;  // degrees, counter-clockwise as seen
  double scale = 1;
  double match = 1;  // the correlation the answer reached, up to 1
};

// The frame `frame_slot` registered to the reference `reference_slot` over
// `area` (reference pixels; clipped to the photo), anchored at its centre.
FrameAlignment RegisterFrame(const AlignImage& reference, const AlignImage& frame, const Rect& area,
                             AlignModel model, int reference_slot, int frame_slot);

// The subject at `subject` in the reference found in the frame: a shift,
// anchored at the subject.
FrameAlignment MatchSubject(const AlignImage& reference, const AlignImage& frame,
                            AlignPoint subject, int reference_slot, int frame_slot);

// Where the reference's point p lies in the frame under `alignment`.
AlignPoint MapToFrame(const FrameAlignment& alignment, AlignPoint p);

}  // namespace lenti
