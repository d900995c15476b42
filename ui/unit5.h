// TAbout: the about window. As the splash at start-up it is frameless, on
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

class TAbout : public QWidget {
  Q_OBJECT
 public:
  // `timer_ms` is the splash time (tests shorten it).
  explicit TAbout(AboutMode mode, QWidget* parent = nullptr, int timer_ms = kSplashMilliseconds);

  AboutMode GetMode() const { return mode_; }
  bool TimerActive() const;

 signals:
  // Timer1 stopped: its time ran out or the picture was clicked.
  void TimerStopped();

 private slots:
  void Timer1Timer();
  void Image1Click();
  void Shape1MouseDown();  // also the hot spot's context menu

 private:
  void StopTimer();

  AboutMode mode_;
  QTimer* Timer1;
  PictureView* Image1;
  QWidget* Shape1;
};

// Shows the splash, paints it at once and processes events until its timer
// stops (after its time or at a click on the picture).
void RunSplash(TAbout& splash);

}  // namespace lenti::ui
