// The about window. As the splash at start-up it is frameless, on
// top and centred, and ends after its timer or at a click on the picture;
// as "&About" it is a new window each time, with a single border and only
// the close button, and stays open after its timer.
#pragma once

#include <QWidget>

class QTimer;

namespace lenti::ui {

class PictureView;

enum class AboutMode { Splash, About };

inline constexpr int kSplashMilliseconds = 2000;

class AboutWindow : public QWidget {
  Q_OBJECT
 public:
  // `timer_ms` is the splash time (tests shorten it).
  explicit AboutWindow(AboutMode mode, QWidget* parent = nullptr, int timer_ms = kSplashMilliseconds);

  AboutMode GetMode() const { return mode_; }
  bool TimerActive() const;

 signals:
  // The timer stopped: its time ran out or the picture was clicked.
  void TimerStopped();

 protected:
  // Esc closes "&About"; the splash keeps to its timer and the click.
  bool event(QEvent* event) override;

 private slots:
  void OnTimer();
  void OnPictureClicked();
  void OnWebHotSpot();  // also the hot spot's context menu

 private:
  void StopTimer();

  AboutMode mode_;
  QTimer* timer_;
  PictureView* picture_;
  QWidget* web_hot_spot_;
};

// Shows the splash, paints it at once and processes events until its timer
// stops (after its time or at a click on the picture).
void RunSplash(AboutWindow& splash);

}  // namespace lenti::ui
