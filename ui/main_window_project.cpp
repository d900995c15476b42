// MainWindow's project commands: File > New, Open..., Save, Save As...,
// Open Recent; Edit > Undo and Redo; the recovery copy written after every
// change and offered after a crash; the title with the project's name and
// its unsaved mark. The job is the state's (JobOfState); the window only
// brings itself to a job (StartRestoreJob, then the merge and the finishing
// replayed when the job has a picture).
#include <QAction>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTimer>

#include <cstdio>

#include "core/error.h"
#include "core/file_io.h"
#include "finishing/text_overlay.h"
#include "intake/slots.h"
#include "interlace/merge.h"
#include "interlace/slot_job.h"
#include "job/job_file.h"
#include "render/job_restore.h"
#include "render/recovery.h"
#include "render/render_job.h"
#include "ui/background_work.h"
#include "ui/guard.h"
#include "ui/lens_group.h"
#include "ui/main_window.h"
#include "ui/texts.h"

namespace lenti::ui {

namespace {

constexpr int kRecentProjects = 8;
QString DocumentedTitle() { return Texts::tr("Vexaro Photo Maker V1.10"); }
constexpr const char* kDropChangesQuestion = "The project has unsaved changes.\nDrop them?";
constexpr const char* kRecoveryQuestion =
    "Vexaro Photo Maker did not close normally last time.\nRestore the work it had then?";

QAction* ProjectAction(QMenu* menu, const char* name, const QString& text, QList<QKeySequence> keys) {
  QAction* action = menu->addAction(text);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcuts(keys);
  action->setShortcutContext(Qt::WindowShortcut);
  return action;
}

QList<QKeySequence> Keys(QKeySequence::StandardKey key, const char* fallback) {
  QList<QKeySequence> keys = QKeySequence::keyBindings(key);
  if (keys.isEmpty()) keys.append(QKeySequence(QString::fromLatin1(fallback)));
  return keys;
}

// A name typed without an extension becomes a project file.
std::string WithProjectExtension(const std::string& path) {
  if (path.empty() || !ExtensionOf(path).empty()) return path;
  return path + kJobFileExtension;
}

}  // namespace

void MainWindow::BuildProjectCommands(QMenu* file) {
  QAction* first = file->actions().value(0);
  auto* project = new QMenu(this);
  new_project_action_ = ProjectAction(project, "NewProjectAction", Texts::tr("&New project"),
                                      Keys(QKeySequence::New, "Ctrl+N"));
  open_project_action_ = ProjectAction(project, "OpenProjectAction", Texts::tr("&Open project..."),
                                       Keys(QKeySequence::Open, "Ctrl+O"));
  recent_menu_ = new QMenu(Texts::tr("Open &recent"), this);
  recent_menu_->setObjectName(QStringLiteral("RecentProjectsMenu"));
  save_project_action_ = ProjectAction(project, "SaveProjectAction", Texts::tr("Save pro&ject"),
                                       Keys(QKeySequence::Save, "Ctrl+S"));
  save_project_as_action_ =
      ProjectAction(project, "SaveProjectAsAction", Texts::tr("Save project &as..."),
                    Keys(QKeySequence::SaveAs, "Ctrl+Shift+S"));
  for (QAction* action : {new_project_action_, open_project_action_}) file->insertAction(first, action);
  file->insertMenu(first, recent_menu_);
  for (QAction* action : {save_project_action_, save_project_as_action_}) file->insertAction(first, action);
  file->insertSeparator(first);

  QAction* tools = menuBar()->actions().value(2);
  auto* edit = new QMenu(Texts::tr("&Edit"), this);
  edit->setObjectName(QStringLiteral("EditMenu"));
  undo_action_ =
      ProjectAction(edit, "UndoAction", Texts::tr("&Undo"), Keys(QKeySequence::Undo, "Ctrl+Z"));
  redo_action_ = ProjectAction(
      edit, "RedoAction", Texts::tr("&Redo"),
      {QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y"))});
  menuBar()->insertMenu(tools, edit);

  connect(new_project_action_, &QAction::triggered, this, &MainWindow::OnNewProject);
  connect(open_project_action_, &QAction::triggered, this, [this] { OnOpenProject(std::string()); });
  connect(save_project_action_, &QAction::triggered, this, &MainWindow::OnSaveProject);
  connect(save_project_as_action_, &QAction::triggered, this, &MainWindow::OnSaveProjectAs);
  connect(undo_action_, &QAction::triggered, this, &MainWindow::OnUndo);
  connect(redo_action_, &QAction::triggered, this, &MainWindow::OnRedo);
  connect(background_.get(), &BackgroundWork::BusyChanged, this, [this](bool busy) {
    // A restore whose import or merge was cancelled or failed ends there.
    if (!busy && restoring_ && !restore_step_queued_) EndRestore();
  });
  FillRecentMenu();
  StartAfresh();
}

void MainWindow::StartAfresh() {
  if (undo_action_ == nullptr || !project_path_.empty() || history_.CanUndo() || history_.CanRedo()) return;
  saved_job_ = CurrentJob();
  history_.Reset(saved_job_);
  UpdateProjectCommands();
}

Job MainWindow::CurrentJob() const { return JobOfState(state_); }

bool MainWindow::ProjectModified() const { return CurrentJob() != saved_job_; }

void MainWindow::RecordJob() {
  if (restoring_ || Busy() || undo_action_ == nullptr) return;
  const Job job = CurrentJob();
  if (history_.Record(job) && !recovery_path_.empty()) {
    try {
      WriteRecoveryCopy(job, project_path_, recovery_path_);
    } catch (const std::exception& e) {
      // The work goes on; the copy is tried again at the next change.
      std::fprintf(stderr, "vexaro-photo-maker: no recovery copy: %s\n", e.what());
    }
  }
  UpdateProjectCommands();
}

void MainWindow::UpdateProjectCommands() {
  const bool idle = !Busy() && !restoring_;
  for (QAction* action : {new_project_action_, open_project_action_, save_project_action_, save_project_as_action_})
    action->setEnabled(idle);
  recent_menu_->setEnabled(idle && !recent_menu_->isEmpty());
  undo_action_->setEnabled(idle && history_.CanUndo());
  redo_action_->setEnabled(idle && history_.CanRedo());
  const bool modified = ProjectModified();
  if (project_path_.empty() && !modified) {
    setWindowTitle(DocumentedTitle());
  } else {
    const QString name = project_path_.empty()
                             ? Texts::tr("Untitled")
                             : QFileInfo(QString::fromStdString(project_path_)).fileName();
    setWindowTitle(name + QStringLiteral("[*] - ") + DocumentedTitle());
  }
  setWindowModified(modified);
}

bool MainWindow::MayDropProject() {
  return !ProjectModified() || dialogs_->AskYesNo(kDropChangesQuestion);
}

void MainWindow::OnNewProject() {
  if (Busy() || restoring_ || !MayDropProject()) return;
  Job empty;
  empty.mode = state_.mode;
  empty.lens = state_.lens;  // the lens sheet and printer stay those of the last job
  RestoreJob(empty, [this] {
    TypeOverlayText(state_, "");  // a new project starts with an empty text box, as the window does
    view_->SetOverlayEditText("");
    ProjectAdopted("");
  });
}

void MainWindow::OnOpenProject(std::string path) {
  if (Busy() || restoring_ || !MayDropProject()) return;
  Guarded(*dialogs_, [&] {
    if (path.empty()) path = dialogs_->AskOpenProject();
    if (path.empty()) return;
    const std::optional<Job> job = LocateJobPhotos(LoadJobFile(path), *dialogs_);
    if (!job) return;  // a photo not located: nothing changes
    RestoreJob(*job, [this, path] { ProjectAdopted(path); });
  });
  UpdateProjectCommands();
}

void MainWindow::ProjectAdopted(const std::string& path) {
  project_path_ = path;
  saved_job_ = CurrentJob();
  history_.Reset(saved_job_);
  if (!path.empty()) RememberRecent(path);
  ForgetRecoveryCopy();
}

// The work is in its project file (or was dropped): nothing to recover
// until the next change writes the copy again.
void MainWindow::ForgetRecoveryCopy() {
  if (!recovery_path_.empty()) RemoveRecoveryCopy(recovery_path_);
}

void MainWindow::OnSaveProject() {
  if (project_path_.empty()) {
    OnSaveProjectAs();
    return;
  }
  SaveProjectTo(project_path_);
}

void MainWindow::OnSaveProjectAs() {
  if (Busy() || restoring_) return;
  std::string path;
  Guarded(*dialogs_, [&] { path = WithProjectExtension(dialogs_->AskSaveProject(project_path_)); });
  if (!path.empty()) SaveProjectTo(path);
}

void MainWindow::SaveProjectTo(const std::string& path) {
  Guarded(*dialogs_, [&] {
    const Job job = CurrentJob();
    SaveJobFile(job, path);
    project_path_ = path;
    saved_job_ = job;
    RememberRecent(path);
    ForgetRecoveryCopy();
  });
  UpdateProjectCommands();
}

void MainWindow::OnUndo() {
  if (Busy() || restoring_ || !history_.CanUndo()) return;
  RestoreJob(history_.Undo(), [this] { history_.Settle(CurrentJob()); });
}

void MainWindow::OnRedo() {
  if (Busy() || restoring_ || !history_.CanRedo()) return;
  RestoreJob(history_.Redo(), [this] { history_.Settle(CurrentJob()); });
}

// The slots first (off the window's thread when photos must be read), then
// the picture: re-made and finished when the job has one that the window
// does not show, dropped when the job has none.
void MainWindow::RestoreJob(const Job& job, std::function<void()> done) {
  restoring_ = true;
  restore_done_ = std::move(done);
  restore_step_queued_ = false;
  bool started = false;
  Guarded(*dialogs_, [&] {
    const bool photo_shown = !state_.merged.MergedBitmap;
    std::unique_ptr<LongWork> work =
        StartRestoreJob(state_, *dialogs_, *view_, work_dir_, job, dialog_font_, photo_shown);
    if (!work) {
      started = RestorePicture(job);
      return;
    }
    started = background_->Start(std::move(work), [this, job] { QueueRestoreStep([this, job] {
      if (!RestorePicture(job)) EndRestore();
    }); });
  });
  if (!started) EndRestore();
}

void MainWindow::QueueRestoreStep(std::function<void()> step) {
  // After the work's BusyChanged(false), so that the next work may start.
  restore_step_queued_ = true;
  QTimer::singleShot(0, this, [this, step = std::move(step)] {
    restore_step_queued_ = false;
    Guarded(*dialogs_, step);
    if (restoring_ && !Busy()) EndRestore();
  });
}

bool MainWindow::RestorePicture(const Job& job) {
  if (job.merged && !PictureRendersJob(state_, job) && CheckSlots(state_).empty()) {
    std::unique_ptr<MergeWork> merge = StartMerge(state_, *dialogs_, *view_, work_dir_, false);
    if (!merge) return false;
    return background_->Start(std::move(merge), [this, job] { QueueRestoreStep([this, job] {
      for (const FinishingStep& step : job.finishing) ApplyFinishingStep(state_, step);
      ApplyJobText(state_, *view_, job, dialog_font_);
      ShowMergedWithText();
      EndRestore();
    }); });
  }
  if (!job.merged && state_.merged.MergedBitmap) {
    // The picture belongs to a later step: gone with it (Redo makes it again).
    DropMergedPicture(state_);
    FrameCurrentSlot(state_, *view_);
  } else if (job.merged && state_.merged.MergedBitmap) {
    ShowMergedWithText();  // the text moved or changed
  }
  return false;
}

void MainWindow::ShowMergedWithText() {
  if (!state_.merged.MergedBitmap) return;
  std::optional<Raster> scratch;
  view_->SetViewPicture(Picture(ProofIfAsked(Raster(PictureWithText(state_, scratch)))));
}

void MainWindow::EndRestore() {
  if (!restoring_) return;
  restoring_ = false;
  std::function<void()> done = std::move(restore_done_);
  restore_done_ = nullptr;
  lens_panel_->ShowSettings();  // the job's lens in the Lens group's fields
  if (done) done();
  UpdateCommands();
}

// Recovered work belongs to `project` as that file now holds it; untitled,
// everything unsaved, when there is none or it cannot be read.
void MainWindow::AdoptRecoveredProject(const std::string& project) {
  project_path_.clear();
  saved_job_ = Job{};
  if (project.empty()) return;
  try {
    saved_job_ = LoadJobFile(project);
    project_path_ = project;
  } catch (const Error&) {
    // gone or damaged: the work stays untitled
  }
}

void MainWindow::EnableRecovery() { recovery_path_ = RecoveryPath(work_dir_); }

void MainWindow::OfferRecovery() {
  if (recovery_path_.empty()) return;
  const std::optional<RecoveredWork> copy = ReadRecoveryCopy(recovery_path_);
  if (!copy) return;
  if (!dialogs_->AskYesNo(kRecoveryQuestion)) {
    RemoveRecoveryCopy(recovery_path_);
    return;
  }
  Guarded(*dialogs_, [&] {
    const std::optional<Job> job = LocateJobPhotos(copy->job, *dialogs_);
    if (!job) return;
    // Restored as unsaved work of its project: the project file is as it was
    // saved, and Save writes the restored work there.
    RestoreJob(*job, [this, project = copy->project] {
      AdoptRecoveredProject(project);
      history_.Reset(CurrentJob());
      UpdateProjectCommands();
    });
  });
}

void MainWindow::RememberProjects(std::unique_ptr<QSettings> store) {
  project_store_ = std::move(store);
  FillRecentMenu();
}

void MainWindow::RememberRecent(const std::string& path) {
  const QString absolute = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
  recent_projects_.removeAll(absolute);
  recent_projects_.prepend(absolute);
  while (recent_projects_.size() > kRecentProjects) recent_projects_.removeLast();
  if (project_store_) project_store_->setValue(QStringLiteral("projects/recent"), recent_projects_);
  FillRecentMenu();
}

void MainWindow::FillRecentMenu() {
  if (project_store_) recent_projects_ = project_store_->value(QStringLiteral("projects/recent")).toStringList();
  recent_menu_->clear();
  for (const QString& path : recent_projects_) {
    QAction* action = recent_menu_->addAction(QFileInfo(path).fileName());
    action->setToolTip(path);
    connect(action, &QAction::triggered, this, [this, path] { OnOpenProject(path.toStdString()); });
  }
  recent_menu_->setEnabled(!recent_projects_.isEmpty());
}

}  // namespace lenti::ui
