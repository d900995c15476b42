// The mark of the current slot: a ring in the palette's highlight colour
// around its thumbnail and its number button in bold, so that the person
// sees which photo the view, the crop frame, "裁切" and "Remove photo" act on.
#pragma once

#include <array>

#include <QWidget>

#include "core/maker_state.h"

class QPushButton;

namespace lenti::ui {

class PictureView;

class SlotMark : public QWidget {
  Q_OBJECT
 public:
  // The ring lives beside the thumbnails (slot k at index k - 1), beneath them.
  SlotMark(const std::array<QPushButton*, kSlotCount>& buttons,
           const std::array<PictureView*, kSlotCount>& thumbnails);

  // Marks slot `slot` (1..16) and no other; 0 marks none.
  void Mark(int slot);
  int MarkedSlot() const { return marked_; }

  // Pixels the ring reaches beyond the thumbnail on every side (the
  // thumbnails stand 7 pixels apart).
  static constexpr int kRingWidth = 3;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::array<QPushButton*, kSlotCount> buttons_;
  std::array<PictureView*, kSlotCount> thumbnails_;
  int marked_ = 0;
};

}  // namespace lenti::ui
