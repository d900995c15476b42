// MainWindow's commands on the photo slots as a whole: several photos by
// dialog or drop, a thumbnail dragged onto another slot, "Remove photo",
// "Reverse order", and the desktop's standard keys for the commands.
#include <QAction>
#include <QFile>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "core/command_states.h"
#include "intake/import_work.h"
#include "intake/slot_order.h"
#include "intake/slots.h"
#include "ui/background_work.h"
#include "ui/guard.h"
#include "ui/main_window.h"
#include "ui/slot_mark.h"
#include "ui/slot_strip.h"
#include "ui/texts.h"
#include "ui/widget_helpers.h"

namespace lenti::ui {
namespace {

// The desktop's own keys for the command; `fallback` where the desktop has
// none (Quit has no standard key on some platforms).
QAction* KeyedAction(QMenu* menu, const char* name, const QString& text, QKeySequence::StandardKey key,
                     const char* fallback) {
  QAction* action = menu->addAction(text);
  action->setObjectName(QString::fromLatin1(name));
  const QList<QKeySequence> keys = QKeySequence::keyBindings(key);
  action->setShortcuts(keys.isEmpty() ? QList<QKeySequence>{QKeySequence(QString::fromLatin1(fallback))} : keys);
  // The keys work wherever the focus is in the window.
  action->setShortcutContext(Qt::WindowShortcut);
  return action;
}

std::vector<std::string> LocalPaths(const QStringList& files) {
  std::vector<std::string> paths;
  for (const QString& file : files) paths.push_back(QFile::encodeName(file).toStdString());
  return paths;
}

}  // namespace

void MainWindow::BuildSlotCommands() {
  slot_strip_ = new SlotStrip(this, slot_buttons_, thumbnails_);
  slot_mark_ = new SlotMark(slot_buttons_, thumbnails_);
  // Queued: a message box must not run inside the drop of another program.
  connect(slot_strip_, &SlotStrip::FilesDropped, this, &MainWindow::OnFilesDropped, Qt::QueuedConnection);
  connect(slot_strip_, &SlotStrip::SlotDropped, this, &MainWindow::OnSlotDropped, Qt::QueuedConnection);
  connect(slot_strip_, &SlotStrip::RemoveRequested, this, &MainWindow::OnRemovePhoto);
  connect(slot_strip_, &SlotStrip::ReverseRequested, this, &MainWindow::OnReverseOrder);

  // File and Photos come before the menus already there.
  QAction* first = menuBar()->actions().value(0);
  auto* file = new QMenu(Texts::tr("&File"), this);
  file->setObjectName(QStringLiteral("FileMenu"));
  // The standard Open and Save keys belong to the project; the photos and
  // the picture have keys of their own.
  open_action_ = file->addAction(Texts::tr("&Import photos..."));
  open_action_->setObjectName(QStringLiteral("OpenPhotosAction"));
  open_action_->setShortcut(QKeySequence(QStringLiteral("Ctrl+I")));
  save_action_ = file->addAction(Texts::tr("Save &picture..."));
  save_action_->setObjectName(QStringLiteral("SaveAction"));
  save_action_->setShortcut(QKeySequence(QStringLiteral("Ctrl+E")));
  for (QAction* action : {open_action_, save_action_}) action->setShortcutContext(Qt::WindowShortcut);
  print_action_ =
      KeyedAction(file, "PrintAction", Texts::tr("&Print..."), QKeySequence::Print, "Ctrl+P");
  file->addSeparator();
  quit_action_ = KeyedAction(file, "QuitAction", Texts::tr("E&xit"), QKeySequence::Quit, "Ctrl+Q");
  menuBar()->insertMenu(first, file);

  auto* photos = new QMenu(Texts::tr("&Photos"), this);
  photos->setObjectName(QStringLiteral("PhotosMenu"));
  photos->addAction(slot_strip_->ReverseAction());
  remove_current_action_ = photos->addAction(Texts::tr("&Remove photo"));
  remove_current_action_->setObjectName(QStringLiteral("RemoveCurrentPhotoAction"));
  remove_current_action_->setToolTip(Texts::tr("Empty the current slot"));
  menuBar()->insertMenu(first, photos);
  BuildProjectCommands(file);

  connect(open_action_, &QAction::triggered, this, &MainWindow::OnOpenCommand);
  connect(save_action_, &QAction::triggered, this, &MainWindow::OnSave);
  connect(print_action_, &QAction::triggered, this, &MainWindow::OnPrint);
  connect(quit_action_, &QAction::triggered, this, &MainWindow::OnExit);
  connect(remove_current_action_, &QAction::triggered, this,
          [this] { OnRemovePhoto(state_.photos.CurrentSlot + 1); });
  // While long work runs the slot commands wait like every other.
  connect(background_.get(), &BackgroundWork::BusyChanged, this, [this] { UpdateSlotCommands(); });
}

void MainWindow::UpdateSlotCommands() {
  const SlotCommandStates s = DeriveSlotCommandStates(state_);
  const bool idle = !Busy();
  const CommandStates commands = DeriveCommandStates(state_);
  open_action_->setEnabled(idle);
  save_action_->setEnabled(idle && commands.save);
  print_action_->setEnabled(idle && commands.print);
  quit_action_->setEnabled(idle);
  slot_strip_->ReverseAction()->setEnabled(idle && s.reverse_order);
  remove_current_action_->setEnabled(idle && s.remove_photo[state_.photos.CurrentSlot]);
  for (int slot = 1; slot <= kSlotCount; ++slot)
    slot_strip_->RemoveAction(slot)->setEnabled(idle && s.remove_photo[slot - 1]);
  slot_mark_->Mark(s.current_photo);
  fit_and_frame_button_->setEnabled(s.fit_and_frame);
}

void MainWindow::OnOpenCommand() {
  int slot = 0;
  Guarded(*dialogs_, [&] { slot = OpenCommandSlot(state_.photos, *dialogs_); });
  if (slot != 0) OnImportSlot(slot);
}

void MainWindow::OnFilesDropped(int slot, const QStringList& files) {
  if (Busy()) return;
  Run([&] {
    background_->Start(StartImportDroppedFiles(state_, *dialogs_, *view_, work_dir_, slot, LocalPaths(files)));
  });
}

void MainWindow::OnSlotDropped(int from, int to) {
  if (Busy()) return;
  Run([&] { SwapSlots(state_, *view_, work_dir_, from, to); });
}

void MainWindow::OnRemovePhoto(int slot) {
  if (Busy()) return;
  Run([&] { RemovePhoto(state_, *view_, work_dir_, slot); });
}

void MainWindow::OnReverseOrder() {
  if (Busy()) return;
  Run([&] { ReverseSlots(state_, *view_, work_dir_); });
}

}  // namespace lenti::ui
