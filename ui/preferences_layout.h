// The Preferences band's layout: the Mode group at the left, the Lens group
// beside it, then the logo and the version label. The Lens group is never
// cut: on a narrow screen (1024 pixels) it gives up its spare width first,
// then the logo shrinks, keeping its proportions, and goes last.
#pragma once

#include <QObject>
#include <QPixmap>
#include <QRect>
#include <QSize>

class QLabel;
class QWidget;

namespace lenti::ui {

struct PreferencesPlaces {
  QRect lens;
  QRect logo;     // empty: no room for it
  QRect version;  // empty: no room for it
};

// Where the Lens group (at least `lens_minimum` wide, at most 640), the logo
// (`logo` at full size) and the version label (`version`) stand in a band
// `band_width` wide.
PreferencesPlaces PlacePreferences(int band_width, int lens_minimum, QSize logo, QSize version);

// Places the band's children by PlacePreferences whenever the band resizes.
class PreferencesLayout : public QObject {
  Q_OBJECT
 public:
  PreferencesLayout(QWidget* band, QWidget* lens, QLabel* logo, QLabel* version);

  void Place();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* band_;
  QWidget* lens_;
  QLabel* logo_;
  QLabel* version_;
  QPixmap full_logo_;
};

}  // namespace lenti::ui
