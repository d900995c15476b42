#include "ui/window_fit.h"

#include <algorithm>

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace lenti::ui {

QSize ClientSizeForOuter(QSize outer, QMargins frame) {
  return QSize(std::max(1, outer.width() - frame.left() - frame.right()),
               std::max(1, outer.height() - frame.top() - frame.bottom()));
}

QMargins WindowFrame(const QWidget& window) {
  const QRect outer = window.frameGeometry();
  const QRect inner = window.geometry();
  return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                  outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

OuterFit::OuterFit(QWidget& window, std::function<QRect()> outer, bool keep)
    : QObject(&window), window_(window), outer_(std::move(outer)), keep_(keep) {
  window.installEventFilter(this);
  Fit();
}

OuterFit* OuterFit::KeepOuterRect(QWidget& window, std::function<QRect()> outer) {
  return new OuterFit(window, std::move(outer), true);
}

OuterFit* OuterFit::StartOuterSize(QWidget& window, QSize outer) {
  return new OuterFit(window, [outer] { return QRect(QPoint(), outer); }, false);
}

void OuterFit::Fit() {
  fit_pending_ = false;
  const QRect outer = outer_();
  if (outer.isEmpty()) return;
  const QMargins frame = WindowFrame(window_);
  // Sized again only when the frame or the wanted rectangle changed: a
  // window manager that places the window elsewhere is not fought.
  if (fitted_ && frame == fitted_frame_ && outer == fitted_outer_) return;
  const QSize client = ClientSizeForOuter(outer.size(), frame);
  if (keep_) {
    if (window_.minimumSize() != client || window_.maximumSize() != client) window_.setFixedSize(client);
    if (window_.frameGeometry().topLeft() != outer.topLeft()) window_.move(outer.topLeft());
  } else if (window_.size() != client) {
    window_.resize(client);
  }
  fitted_ = true;
  fitted_frame_ = frame;
  fitted_outer_ = outer;
}

bool OuterFit::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &window_) {
    switch (event->type()) {
      case QEvent::Show:
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::WindowStateChange:
        // After the event is handled: the frame is read as it stands then.
        if (!fit_pending_) {
          fit_pending_ = true;
          QTimer::singleShot(0, this, &OuterFit::Fit);
        }
        break;
      default:
        break;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace lenti::ui
