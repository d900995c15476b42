#include "ui/slot_mark.h"

#include <QPainter>
#include <QPushButton>

#include "ui/picture_view.h"

namespace lenti::ui {

SlotMark::SlotMark(const std::array<QPushButton*, kSlotCount>& buttons,
                   const std::array<PictureView*, kSlotCount>& thumbnails)
    : QWidget(thumbnails.front()->parentWidget()), buttons_(buttons), thumbnails_(thumbnails) {
  setObjectName(QStringLiteral("CurrentSlotMark"));
  // Clicks and drops on the ring's edge reach the band as before.
  setAttribute(Qt::WA_TransparentForMouseEvents);
  hide();
}

void SlotMark::Mark(int slot) {
  if (slot < 0 || slot > kSlotCount) slot = 0;
  if (slot == marked_) return;
  if (marked_ != 0) {
    QFont plain = buttons_[marked_ - 1]->font();
    plain.setBold(false);
    buttons_[marked_ - 1]->setFont(plain);
  }
  marked_ = slot;
  if (slot == 0) {
    hide();
    return;
  }
  QFont bold = buttons_[slot - 1]->font();
  bold.setBold(true);
  buttons_[slot - 1]->setFont(bold);
  PictureView* thumbnail = thumbnails_[slot - 1];
  setGeometry(thumbnail->geometry().adjusted(-kRingWidth, -kRingWidth, kRingWidth, kRingWidth));
  stackUnder(thumbnail);
  show();
}

void SlotMark::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QColor ring = palette().color(QPalette::Highlight);
  const QRect inner = rect().adjusted(kRingWidth, kRingWidth, -kRingWidth, -kRingWidth);
  // Only the ring: the thumbnail covers the inside, and an empty one shows the band through.
  painter.fillRect(QRect(0, 0, width(), kRingWidth), ring);
  painter.fillRect(QRect(0, inner.bottom() + 1, width(), kRingWidth), ring);
  painter.fillRect(QRect(0, kRingWidth, kRingWidth, inner.height()), ring);
  painter.fillRect(QRect(inner.right() + 1, kRingWidth, kRingWidth, inner.height()), ring);
}

}  // namespace lenti::ui
