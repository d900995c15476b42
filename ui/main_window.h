// The main window. It owns the working state, the working folder's name, the
// font dialog's font object, the printer, the dialogs, its view and progress
// bar, and the hidden test chart window. Each slot only turns an event into a
// call of the operation (intake/, interlace/, finishing/, delivery/) through
// Guarded(), then UpdateCommands() derives every enabled and checked state
// from the state.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QStringList>

#include "core/job.h"
#include "core/maker_state.h"
#include "core/progress.h"
#include "render/job_history.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_main_view.h"
#include "ui/qt_printer.h"

class QAction;
class QKeyEvent;
class QMenu;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSettings;
class QSlider;

namespace lenti {
struct OnionInputs;
}

namespace lenti::ui {

class AlignPanel;
class CropShape;
class LensGroup;
class LensViewWindow;
class PictureView;
class SlotMark;
class SlotStrip;
class TestChartWindow;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // `work_dir` is made if missing (a failure is shown and the window still
  // opens). `hooks` replace the modal boxes from the start (tests).
  explicit MainWindow(std::string work_dir, QtDialogs::Hooks hooks = {}, QWidget* parent = nullptr);
  ~MainWindow() override;

  MakerState& State() { return state_; }
  QtDialogs& Dialogs() { return *dialogs_; }
  QtMainView& View() { return *view_; }
  ProgressSink& Progress() { return *progress_; }
  TestChartWindow& TestChart() { return *test_chart_; }
  // The "View through lens" window; null until first opened.
  LensViewWindow* LensView() { return lens_view_; }
  LensGroup& Lens() { return *lens_panel_; }
  // The Lens group takes its remembered settings from `store` and keeps
  // every change there (the program passes its QSettings; tests a file).
  void RememberLensSettings(std::unique_ptr<QSettings> store);
  const std::string& WorkDir() const { return work_dir_; }
  // Long work (a merge) is running: every command is disabled meanwhile.
  bool Busy() const;
  // The window's job as it stands (what Save Project writes).
  Job CurrentJob() const;
  // Unsaved changes since the project was opened, saved or made new.
  bool ProjectModified() const;
  const std::string& ProjectPath() const { return project_path_; }
  const JobHistory& History() const { return history_; }
  // A project brought into the window is being restored (photos, picture).
  bool Restoring() const { return restoring_; }
  // The recovery copy (render/recovery.h) is written after every change
  // and removed by a normal close; the program turns it on, tests choose.
  void EnableRecovery();
  void SetRecoveryPath(std::string path) { recovery_path_ = std::move(path); }
  // Offers to restore the copy a crashed run left (after the window shows).
  void OfferRecovery();
  // Open Recent is remembered in `store` between runs.
  void RememberProjects(std::unique_ptr<QSettings> store);
  // The project commands, for tests and the command line of the program.
  void OnOpenProject(std::string path);
  void OnSaveProject();
  void OnUndo();
  void OnRedo();

 signals:
  // The window was closed and its working files deleted: the program ends.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private slots:
  void OnImportSlot(int slot);
  void OnSelectSlot(int slot);
  void OnFitAndFrame();
  void OnCropPressed(QPoint pos);
  void OnCropMoved(QPoint pos);
  void OnCropReleased();
  void OnMerge();
  void OnAlignBarsClicked();
  void OnInterlaceTypeClicked();
  void OnModeToggled();
  // The picture's size or Mode changed: the crops take its new shape.
  void OnShapeChanged();
  void OnOverlayTextChanged(const QString& text);
  void OnChooseFont();
  void OnChooseTextColour();
  void OnApplyText();
  void OnViewClicked(QPoint pos);
  void OnRotate();
  void OnSave();
  void OnPrint();
  void OnAbout();
  void OnExit();
  void OnWebLink();
  void ShowTestChartWindow();
  void ShowLensViewWindow();
  void OnCancelWork();
  // The slots as a whole (main_window_slots.cpp).
  void OnOpenCommand();
  void OnFilesDropped(int slot, const QStringList& files);
  void OnSlotDropped(int from, int to);
  void OnRemovePhoto(int slot);
  void OnReverseOrder();
  // Alignment (main_window_align.cpp).
  void OnOnionChanged();
  void OnAlignFrames();
  void OnAlignCurrentFrame();
  void OnResetFrame();
  // The project (main_window_project.cpp).
  void OnNewProject();
  void OnSaveProjectAs();

 private:
  // The controls, in the bands of the window (main_window_controls.cpp).
  void BuildControls();
  QGroupBox* BuildPreferencesBand();
  QGroupBox* BuildPhotoSourceBand();
  QGroupBox* BuildCommandBand();
  QWidget* BuildView();
  // The view with the progress bar and the Cancel button along its bottom
  // (main_window_centre.cpp).
  QWidget* BuildCentreBand();
  // Disables every command while long work runs, shows Cancel (Esc).
  void ShowBusy(bool busy);
  void BuildHiddenControls(QGroupBox* preferences, QGroupBox* command);
  void BuildMenu();
  // The Press menu (main_window_press.cpp): profile, intent, bleed, black
  // text, marks, and the soft proof every shown picture goes through.
  void BuildPressMenu();
  void UpdatePressCommands();
  void OnSoftProofChanged();
  Raster ProofIfAsked(Raster picture) const;
  // Drag and drop on the slots, their context menu, the File and Photos
  // menus with the desktop's standard keys (main_window_slots.cpp).
  void BuildSlotCommands();
  // File > New, Open, Recent, Save, Save As; Edit > Undo, Redo (main_window_project.cpp).
  void BuildProjectCommands(QMenu* file);
  void UpdateProjectCommands();
  // After every change: one undo step and the recovery copy when the job changed.
  void RecordJob();
  void Show(std::optional<Raster> picture);
  bool MayDropProject();
  void ProjectAdopted(const std::string& path);
  // The untitled start: the job as it now stands, unchanged, nothing to undo.
  void StartAfresh();
  void ForgetRecoveryCopy();
  void AdoptRecoveredProject(const std::string& project);
  void SaveProjectTo(const std::string& path);
  void RestoreJob(const Job& job, std::function<void()> done);
  void QueueRestoreStep(std::function<void()> step);
  // True when it started a merge that goes on with the restore.
  bool RestorePicture(const Job& job);
  void ShowMergedWithText();
  void EndRestore();
  void RememberRecent(const std::string& path);
  void FillRecentMenu();
  void UpdateSlotCommands();
  // The Align group, the onion skin's overlay and the nudge keys (main_window_align.cpp).
  void BuildAlignCommands();
  void RefreshOnion();
  // Every frame but the reference, or `only_slot` alone, as long work.
  void AlignFrames(std::optional<int> only_slot);
  // True when the click at `view_point` picked the key subject.
  bool PickSubject(QPoint view_point);
  // True when the key nudged the current frame.
  bool Nudge(const QKeyEvent& event);
  void ConnectHandlers();
  MainWidgets Widgets() const;

  // Runs a command through the one error handler, then brings every
  // enabled and checked state up to date.
  void Run(const std::function<void()>& command);
  // Merges (off the window's thread), then runs `next` when the merge made
  // its picture; an empty `next` announces "Merged!".
  void MergeThen(std::function<void()> next);
  // Runs `deliver`, or first merges again when the picture is out of date
  // and the person says so ("saving", "printing").
  void DeliverCurrent(const std::string& delivery, std::function<void()> deliver);
  // Every enabled and checked state, from the state alone.
  void UpdateCommands();
  void CreateWorkDir();
  void DeleteWorkingFiles();
  void FillWorkArea();

  MakerState state_;
  std::string work_dir_;
  std::shared_ptr<Font> dialog_font_ = std::make_shared<Font>();
  QtPrinterPort printer_;
  std::unique_ptr<QtDialogs> dialogs_;
  std::unique_ptr<QtMainView> view_;
  std::unique_ptr<QtProgressBar> progress_bar_sink_;
  std::unique_ptr<ThrottledProgress> progress_;
  std::unique_ptr<class BackgroundWork> background_;  // goes before the dialogs it uses
  TestChartWindow* test_chart_ = nullptr;  // a Qt child: deleted with the window
  LensViewWindow* lens_view_ = nullptr;    // made when first asked for
  QAction* lens_view_action_ = nullptr;
  LensGroup* lens_panel_ = nullptr;        // the visible Lens group, in the Preferences band

  // Preferences
  QGroupBox* preferences_band_ = nullptr;
  QGroupBox* mode_group_ = nullptr;
  QRadioButton* portrait_button_ = nullptr;
  QRadioButton* landscape_button_ = nullptr;
  QLabel* logo_ = nullptr;
  // Photo source
  QGroupBox* photo_source_band_ = nullptr;
  std::array<QPushButton*, kSlotCount> slot_buttons_{};
  std::array<PictureView*, kSlotCount> thumbnails_{};
  QGroupBox* text_group_ = nullptr;
  QLineEdit* overlay_text_edit_ = nullptr;
  QPushButton* font_button_ = nullptr;
  QPushButton* colour_button_ = nullptr;  // "&Colour" (TextColourButton): the text's colour
  QPushButton* apply_text_button_ = nullptr;
  // Commands
  QGroupBox* command_band_ = nullptr;
  QPushButton* about_button_ = nullptr;
  QPushButton* merge_button_ = nullptr;
  QPushButton* save_button_ = nullptr;
  QPushButton* rotate_button_ = nullptr;
  QPushButton* exit_button_ = nullptr;
  QPushButton* print_button_ = nullptr;
  QCheckBox* align_bars_box_ = nullptr;
  QPushButton* fit_and_frame_button_ = nullptr;  // "裁切": the crop frame back in the view
  // The view
  QWidget* view_box_ = nullptr;
  PictureView* photo_view_ = nullptr;
  PictureView* work_image_ = nullptr;
  CropShape* crop_shape_ = nullptr;
  QProgressBar* progress_bar_ = nullptr;
  QPushButton* cancel_button_ = nullptr;  // visible while long work runs
  // Never visible
  QGroupBox* lens_group_ = nullptr;
  QComboBox* lens_pitch_box_ = nullptr;
  QGroupBox* interlace_type_group_ = nullptr;
  QRadioButton* three_d_button_ = nullptr;
  QRadioButton* up_down_button_ = nullptr;
  QGroupBox* output_error_group_ = nullptr;
  QSlider* output_error_slider_ = nullptr;
  QPushButton* align_button_ = nullptr;
  QLabel* web_link_ = nullptr;
  // The slots as a whole, and the keys of the commands
  SlotStrip* slot_strip_ = nullptr;
  SlotMark* slot_mark_ = nullptr;
  QAction* open_action_ = nullptr;
  QAction* save_action_ = nullptr;
  QAction* print_action_ = nullptr;
  QAction* quit_action_ = nullptr;
  QAction* remove_current_action_ = nullptr;
  // Alignment
  AlignPanel* align_panel_ = nullptr;
  PictureView* onion_view_ = nullptr;  // over the crop rectangle while the onion skin is on
  std::unique_ptr<OnionInputs> onion_shown_;  // what the overlay shows; none: hidden
  // The project
  JobHistory history_;
  Job saved_job_;
  std::string project_path_;
  std::string recovery_path_;  // empty: no recovery copy
  bool restoring_ = false;
  bool restore_step_queued_ = false;
  std::function<void()> restore_done_;
  std::unique_ptr<QSettings> project_store_;
  QStringList recent_projects_;
  QMenu* recent_menu_ = nullptr;
  QAction* new_project_action_ = nullptr;
  QAction* open_project_action_ = nullptr;
  QAction* save_project_action_ = nullptr;
  QAction* save_project_as_action_ = nullptr;
  QAction* undo_action_ = nullptr;
  QAction* redo_action_ = nullptr;
  // The Press menu
  QAction* soft_proof_action_ = nullptr;
  QAction* gamut_action_ = nullptr;
  QAction* default_profile_action_ = nullptr;
  QAction* perceptual_action_ = nullptr;
  QAction* relative_action_ = nullptr;
  std::vector<QAction*> bleed_actions_;
  QAction* black_text_action_ = nullptr;
  QAction* marks_action_ = nullptr;
};

}  // namespace lenti::ui
