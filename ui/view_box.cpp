#include "ui/view_box.h"

namespace lenti::ui {

ViewBox::ViewBox(QWidget* parent) : QFrame(parent), client_(new QWidget(this)) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(kViewBorder);
  client_->setObjectName(QStringLiteral("ScrollBox1Client"));
}

void ViewBox::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  client_->setGeometry(contentsRect());
  if (fill_ != nullptr) fill_->setGeometry(0, 0, client_->width(), client_->height());
}

}  // namespace lenti::ui
