// The view's box: medium grey with a 2-pixel border and no
// scroll bars. Its client area (4 pixels smaller than the box) is the
// origin of all view coordinates; the view image fills it.
#pragma once

#include <QFrame>

namespace lenti::ui {

inline constexpr int kViewBorder = 2;

class ViewBox : public QFrame {
  Q_OBJECT
 public:
  explicit ViewBox(QWidget* parent = nullptr);
  QWidget* ClientArea() const { return client_; }
  // The control that always fills the client area (the photo view).
  void SetFill(QWidget* fill) { fill_ = fill; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QWidget* client_;
  QWidget* fill_ = nullptr;
};

}  // namespace lenti::ui
