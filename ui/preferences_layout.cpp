#include "ui/preferences_layout.h"

#include <algorithm>

#include <QEvent>
#include <QLabel>
#include <QWidget>

namespace lenti::ui {
namespace {

// The Mode group ends at 232; the Lens group follows it, 16 below the band's top.
constexpr int kLensLeft = 244;
constexpr int kLensTop = 16;
constexpr int kLensHeight = 94;
constexpr int kLensWidest = 640;
constexpr int kGap = 12;
constexpr int kRightMargin = 8;
constexpr int kLogoTop = 32;
constexpr int kVersionBottom = 93;  // the label's bottom is the full logo's
// A logo narrower than this is no longer readable: it goes.
constexpr int kLogoNarrowest = 100;

}  // namespace

PreferencesPlaces PlacePreferences(int band_width, int lens_minimum, QSize logo, QSize version) {
  PreferencesPlaces places;
  const int room = band_width - kRightMargin - kLensLeft;
  const int logo_room = room - lens_minimum - kGap - version.width() - kGap;
  // The logo takes what the Lens group's fields leave, up to its own width;
  // the Lens group takes the rest, up to its widest.
  const int logo_width = std::min(logo.width(), logo_room);
  const bool logo_fits = logo_width >= kLogoNarrowest && logo.width() > 0;
  const int beside = logo_fits ? kGap + logo_width + kGap + version.width() : 0;
  const int lens_width = std::clamp(room - beside, lens_minimum, std::max(lens_minimum, kLensWidest));
  places.lens = QRect(kLensLeft, kLensTop, lens_width, kLensHeight);
  int right = places.lens.right() + 1;
  if (logo_fits) {
    const int logo_height = logo.height() * logo_width / logo.width();
    // A smaller logo keeps the full one's middle line.
    places.logo = QRect(right + kGap, kLogoTop + (logo.height() - logo_height) / 2, logo_width, logo_height);
    right = places.logo.right() + 1;
  }
  // The version label stands beside the logo's foot, when the band has room.
  const QRect label(right + kGap, kVersionBottom - version.height(), version.width(), version.height());
  if (label.right() < band_width - kRightMargin) places.version = label;
  return places;
}

PreferencesLayout::PreferencesLayout(QWidget* band, QWidget* lens, QLabel* logo, QLabel* version)
    : QObject(band), band_(band), lens_(lens), logo_(logo), version_(version), full_logo_(logo->pixmap()) {
  band->installEventFilter(this);
  Place();
}

void PreferencesLayout::Place() {
  version_->adjustSize();
  const PreferencesPlaces places = PlacePreferences(band_->width(), lens_->minimumSizeHint().width(),
                                                    full_logo_.size(), version_->size());
  lens_->setGeometry(places.lens);
  logo_->setVisible(!places.logo.isEmpty());
  if (!places.logo.isEmpty()) {
    logo_->setPixmap(places.logo.size() == full_logo_.size()
                         ? full_logo_
                         : full_logo_.scaled(places.logo.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    logo_->setGeometry(places.logo);
  }
  version_->setVisible(!places.version.isEmpty());
  if (!places.version.isEmpty()) version_->setGeometry(places.version);
}

bool PreferencesLayout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == band_ && event->type() == QEvent::Resize) Place();
  return QObject::eventFilter(watched, event);
}

}  // namespace lenti::ui
