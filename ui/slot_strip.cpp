#include "ui/slot_strip.h"

#include <QAction>
#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QWidget>

#include "ui/picture_view.h"
#include "ui/texts.h"

namespace lenti::ui {

QStringList DroppedFiles(const QMimeData& data) {
  QStringList files;
  if (!data.hasUrls()) return files;
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) files << url.toLocalFile();
  }
  return files;
}

namespace {

// The slot a dragged thumbnail comes from; 0 when the data is no thumbnail.
int DraggedSlot(const QMimeData& data) {
  if (!data.hasFormat(QString::fromLatin1(kSlotMimeType))) return 0;
  bool ok = false;
  const int slot = QString::fromLatin1(data.data(QString::fromLatin1(kSlotMimeType))).toInt(&ok);
  return ok && slot >= 1 && slot <= kSlotCount ? slot : 0;
}

}  // namespace

SlotStrip::SlotStrip(QWidget* window, const std::array<QPushButton*, kSlotCount>& buttons,
                     const std::array<PictureView*, kSlotCount>& thumbnails)
    : QObject(window), window_(window), buttons_(buttons), thumbnails_(thumbnails) {
  window_->setAcceptDrops(true);
  window_->installEventFilter(this);
  reverse_action_ = new QAction(Texts::tr("Reverse order"), this);
  reverse_action_->setObjectName(QStringLiteral("ReverseOrderAction"));
  connect(reverse_action_, &QAction::triggered, this, &SlotStrip::ReverseRequested);
  for (int index = 0; index < kSlotCount; ++index) {
    const int slot = index + 1;
    for (QWidget* widget : {static_cast<QWidget*>(buttons_[index]), static_cast<QWidget*>(thumbnails_[index])}) {
      widget->setAcceptDrops(true);
      widget->installEventFilter(this);
    }
    auto* remove = new QAction(Texts::tr("Remove photo"), thumbnails_[index]);
    remove->setObjectName(QStringLiteral("RemovePhotoAction%1").arg(slot));
    connect(remove, &QAction::triggered, this, [this, slot] { emit RemoveRequested(slot); });
    remove_actions_[index] = remove;
    thumbnails_[index]->addAction(remove);
    thumbnails_[index]->addAction(reverse_action_);
    thumbnails_[index]->setContextMenuPolicy(Qt::ActionsContextMenu);
  }
}

int SlotStrip::SlotOf(const QObject* widget) const {
  for (int index = 0; index < kSlotCount; ++index) {
    if (widget == buttons_[index] || widget == thumbnails_[index]) return index + 1;
  }
  return 0;
}

void SlotStrip::StartDrag(int slot) {
  PictureView* thumbnail = thumbnails_[slot - 1];
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(kSlotMimeType), QByteArray::number(slot));
  auto* drag = new QDrag(thumbnail);
  drag->setMimeData(data);
  drag->setPixmap(thumbnail->grab());
  drag->setHotSpot(press_at_);
  drag->exec(Qt::MoveAction);  // the drop runs the swap; deleted by Qt
}

bool SlotStrip::eventFilter(QObject* watched, QEvent* event) {
  const int slot = SlotOf(watched);
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      const bool on_photo = slot != 0 && watched == thumbnails_[slot - 1] &&
                            !thumbnails_[slot - 1]->GetPicture().IsEmpty();
      press_slot_ = mouse->button() == Qt::LeftButton && on_photo ? slot : 0;
      press_at_ = mouse->position().toPoint();
      break;  // the thumbnail still sees the press (a click selects the slot)
    }
    case QEvent::MouseMove: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (press_slot_ == 0 || slot != press_slot_ || !(mouse->buttons() & Qt::LeftButton)) break;
      if ((mouse->position().toPoint() - press_at_).manhattanLength() < QApplication::startDragDistance())
        break;
      const int from = press_slot_;
      press_slot_ = 0;
      StartDrag(from);
      return true;
    }
    case QEvent::MouseButtonRelease:
      press_slot_ = 0;
      break;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      const int from = DraggedSlot(*drag->mimeData());
      // A thumbnail goes onto another slot; files go anywhere on the window.
      const bool wanted = from != 0 ? slot != 0 && slot != from : !DroppedFiles(*drag->mimeData()).isEmpty();
      if (wanted) drag->acceptProposedAction();
      else drag->ignore();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const int from = DraggedSlot(*drop->mimeData());
      if (from != 0) {
        if (slot == 0 || slot == from) {
          drop->ignore();
          return true;
        }
        drop->acceptProposedAction();
        emit SlotDropped(from, slot);
        return true;
      }
      const QStringList files = DroppedFiles(*drop->mimeData());
      if (files.isEmpty()) {
        drop->ignore();
        return true;
      }
      drop->acceptProposedAction();
      emit FilesDropped(slot, files);
      return true;
    }
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace lenti::ui
