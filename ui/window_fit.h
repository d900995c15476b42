// Sizes a top-level window by its OUTER rectangle, the window manager's frame
// included. The frame is known only once the window manager has framed the
// shown window (and it may change later), so the client is sized again
// whenever the frame turns out different from the one it was sized for.
#pragma once

#include <functional>

#include <QMargins>
#include <QObject>
#include <QRect>
#include <QSize>

class QWidget;

namespace lenti::ui {

// The client size that makes a window of frame `frame` measure `outer`
// outside (never below 1 x 1).
QSize ClientSizeForOuter(QSize outer, QMargins frame);

// The frame the window manager put around `window` (none before it is framed).
QMargins WindowFrame(const QWidget& window);

class OuterFit : public QObject {
  Q_OBJECT
 public:
  // The window's outer rectangle is `outer()` and stays so (a window of a
  // single border: fixed size, also placed at the rectangle's corner).
  static OuterFit* KeepOuterRect(QWidget& window, std::function<QRect()> outer);
  // The window starts at `outer` outside; the person may resize it later.
  static OuterFit* StartOuterSize(QWidget& window, QSize outer);

  // Sizes the window for the frame it has now.
  void Fit();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  OuterFit(QWidget& window, std::function<QRect()> outer, bool keep);

  QWidget& window_;
  std::function<QRect()> outer_;
  bool keep_;  // fixed size and place; otherwise only the first size
  bool fitted_ = false;
  QMargins fitted_frame_;
  QRect fitted_outer_;
  bool fit_pending_ = false;
};

}  // namespace lenti::ui
