// The grey levels of an AlignImage: level 0 the full photo, level k reduced
// by 4^k (each reduced pixel the mean of a 4 x 4 block). Private to align/.
#pragma once

#include <vector>

#include <opencv2/core.hpp>

namespace lenti {

inline constexpr int kLevelStep = 4;

struct AlignPyramid {
  std::vector<cv::Mat> levels;  // CV_8UC1
  int Factor(size_t level) const {
    int f = 1;
    for (size_t i = 0; i < level; ++i) f *= kLevelStep;
    return f;
  }
};

// Pixel centres: a level-k pixel i covers full pixels [f i, f i + f), whose
// centre lies at f i + (f - 1) / 2 in full-size pixel-centre coordinates.
inline double ToFull(double reduced, int factor) { return factor * reduced + (factor - 1) / 2.0; }
inline double ToLevel(double full, int factor) { return (full - (factor - 1) / 2.0) / factor; }

}  // namespace lenti
