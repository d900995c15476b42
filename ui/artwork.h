// The pictures of the windows, drawn in code: the logo of the main window,
// the two Mode pictograms and the splash picture of the about window.
#pragma once

#include <QImage>

namespace lenti::ui {

inline constexpr int kLogoWidth = 280;
inline constexpr int kLogoHeight = 61;
inline constexpr int kSplashWidth = 800;
inline constexpr int kSplashHeight = 600;

QImage DrawLogo();                   // 280 x 61
QImage DrawPortraitPictogram();      // upright sheet, horizontal strips
QImage DrawLandscapePictogram();     // sheet across, vertical strips
// 800 x 600; the web address is written where the about window's hot spot lies.
QImage DrawSplashPicture();

}  // namespace lenti::ui
