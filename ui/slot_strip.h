// The photo slots' drag and drop and their context menu, turned into
// signals: files dropped from a file manager on a slot (or elsewhere on the
// window), a thumbnail dragged onto another slot, "Remove photo" and
// "Reverse order". It only reads the events; the window runs the commands.
#pragma once

#include <array>

#include <QObject>
#include <QPoint>
#include <QStringList>

#include "core/maker_state.h"

class QAction;
class QMimeData;
class QPushButton;
class QWidget;

namespace lenti::ui {

class PictureView;

// The MIME type of a thumbnail being dragged: its slot number, "1".."16".
inline constexpr char kSlotMimeType[] = "application/x-vexaro-photo-slot";

// The local files among dropped data, as local path names; empty when it
// holds none.
QStringList DroppedFiles(const QMimeData& data);

class SlotStrip : public QObject {
  Q_OBJECT
 public:
  // Watches the window (drops elsewhere on it) and each slot's button and
  // thumbnail (slot k at index k - 1), and gives every thumbnail the menu
  // "Remove photo", "Reverse order".
  SlotStrip(QWidget* window, const std::array<QPushButton*, kSlotCount>& buttons,
            const std::array<PictureView*, kSlotCount>& thumbnails);

  QAction* RemoveAction(int slot) const { return remove_actions_[slot - 1]; }
  QAction* ReverseAction() const { return reverse_action_; }

 signals:
  // Local files dropped on slot k (1..16), or elsewhere on the window (0).
  void FilesDropped(int slot, const QStringList& files);
  // The thumbnail of slot `from` dropped on slot `to` (never the same).
  void SlotDropped(int from, int to);
  void RemoveRequested(int slot);
  void ReverseRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The slot (1..16) a watched widget belongs to; 0 for the window.
  int SlotOf(const QObject* widget) const;
  void StartDrag(int slot);

  QWidget* window_;
  std::array<QPushButton*, kSlotCount> buttons_;
  std::array<PictureView*, kSlotCount> thumbnails_;
  std::array<QAction*, kSlotCount> remove_actions_{};
  QAction* reverse_action_ = nullptr;
  int press_slot_ = 0;  // the thumbnail a left press started on
  QPoint press_at_;
};

}  // namespace lenti::ui
