// The controls of MainWindow, band by band, at the positions the person knows.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>

#include "ui/artwork.h"
#include "ui/crop_shape.h"
#include "ui/main_window.h"
#include "ui/picture_view.h"
#include "ui/slot_names.h"
#include "ui/texts.h"
#include "ui/view_box.h"
#include "ui/web_address.h"
#include "ui/widget_helpers.h"

namespace lenti::ui {
namespace {

constexpr int kPreferencesHeight = 113;
constexpr int kPhotoSourceWidth = 297;
constexpr int kCommandWidth = 134;
// The side bands' controls end here (the Input text group; "裁切" under "&Exit").
constexpr int kPhotoSourceHeight = 545;
constexpr int kCommandHeight = 388;
const QColor kMediumGrey(128, 128, 128);

// Four rows of four slots: buttons (50 x 25) above their thumbnails (65 x 57).
constexpr int kButtonLeft[4] = {16, 89, 160, 233};
constexpr int kButtonTop[4] = {32, 131, 230, 334};
constexpr int kThumbnailLeft[4] = {8, 80, 152, 224};
constexpr int kThumbnailTop[4] = {59, 165, 264, 367};

QGroupBox* Group(QWidget* parent, const char* name, const QString& caption) {
  return Named(new QGroupBox(caption, parent), name);
}

QLabel* Label(QWidget* parent, const char* name, const QString& caption, QPoint at) {
  auto* label = Named(new QLabel(caption, parent), name);
  label->move(at);
  label->adjustSize();
  return label;
}

QLabel* ImageLabel(QWidget* parent, const char* name, const QImage& image, QPoint at) {
  auto* label = Named(new QLabel(parent), name);
  label->setPixmap(QPixmap::fromImage(image));
  label->setGeometry(QRect(at, image.size()));
  return label;
}

// A side band keeps its width; on a screen too low for it the band scrolls
// up and down, the scroll bar beside it, and the centre gives up the width.
class SideBand : public QScrollArea {
 public:
  SideBand(QGroupBox* band, const char* name) : band_(band) {
    setObjectName(QString::fromLatin1(name));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(true);  // as high as the band's row, never lower than its controls
    setWidget(band);
    FitWidth(false);
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QScrollArea::resizeEvent(event);
    FitWidth(height() < band_->minimumHeight());
  }

 private:
  void FitWidth(bool scrolls) {
    const int width = band_->width() + (scrolls ? verticalScrollBar()->sizeHint().width() : 0);
    if (this->width() != width || minimumWidth() != width) setFixedWidth(width);
  }

  QGroupBox* band_;
};

}  // namespace

void MainWindow::BuildControls() {
  auto* central = Named(new QWidget(this), "Client");
  auto* rows = new QVBoxLayout(central);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(0);
  rows->addWidget(BuildPreferencesBand());

  auto* middle = new QHBoxLayout;
  middle->setSpacing(0);
  middle->addWidget(new SideBand(BuildPhotoSourceBand(), "PhotoSourceScroller"));
  middle->addWidget(BuildCentreBand(), 1);
  middle->addWidget(new SideBand(BuildCommandBand(), "CommandScroller"));
  rows->addLayout(middle, 1);
  setCentralWidget(central);

  BuildHiddenControls(preferences_band_, command_band_);
  BuildMenu();
}

QGroupBox* MainWindow::BuildPreferencesBand() {
  preferences_band_ = Group(nullptr, "GroupBox2", Texts::tr("Preferences"));
  preferences_band_->setFixedHeight(kPreferencesHeight);

  mode_group_ = Group(preferences_band_, "GroupBox8", Texts::tr("Mode"));
  mode_group_->setGeometry(12, 18, 220, 88);
  portrait_button_ = Named(new QRadioButton(mode_group_), "RadioButton3");
  portrait_button_->setGeometry(16, 38, 20, 20);
  portrait_button_->setChecked(true);
  portrait_button_->setToolTip(Texts::tr("Upright print, strips along the rows"));
  portrait_button_->setAccessibleName(Texts::tr("Strips across (portrait)"));
  ImageLabel(mode_group_, "PortraitPictogram", DrawPortraitPictogram(), QPoint(40, 27));
  landscape_button_ = Named(new QRadioButton(mode_group_), "RadioButton4");
  landscape_button_->setGeometry(112, 38, 20, 20);
  landscape_button_->setToolTip(Texts::tr("Print across, strips along the columns"));
  landscape_button_->setAccessibleName(Texts::tr("Strips down (landscape)"));
  ImageLabel(mode_group_, "LandscapePictogram", DrawLandscapePictogram(), QPoint(136, 31));

  logo_ = ImageLabel(preferences_band_, "Image19", DrawLogo(), QPoint(260, 32));
  Label(preferences_band_, "VersionLabel", Texts::tr("Ver 1.10"), QPoint(556, 78));
  return preferences_band_;
}

QGroupBox* MainWindow::BuildPhotoSourceBand() {
  photo_source_band_ = Group(nullptr, "GroupBox1", Texts::tr("Photo Source"));
  photo_source_band_->setFixedWidth(kPhotoSourceWidth);
  photo_source_band_->setMinimumHeight(kPhotoSourceHeight);
  for (int index = 0; index < kSlotCount; ++index) {
    const int row = index / 4, column = index % 4;
    slot_buttons_[index] = PlacedButton(photo_source_band_, kSlotControlNames[index].button,
                                        QString::asprintf("%02d", index + 1),
                                        QRect(kButtonLeft[column], kButtonTop[row], 50, 25));
    thumbnails_[index] = Named(new PictureView(photo_source_band_), kSlotControlNames[index].thumbnail);
    slot_buttons_[index]->setAccessibleName(Texts::tr("Photo slot %1").arg(index + 1));
    thumbnails_[index]->setAccessibleName(Texts::tr("Thumbnail of slot %1").arg(index + 1));
    thumbnails_[index]->setGeometry(kThumbnailLeft[column], kThumbnailTop[row], 65, 57);
    thumbnails_[index]->SetEmptyFrame(true);
  }

  text_group_ = Group(photo_source_band_, "GroupBox7", Texts::tr("Input text"));
  text_group_->setGeometry(8, 432, 281, 105);
  overlay_text_edit_ = Named(new QLineEdit(text_group_), "Edit1");
  overlay_text_edit_->setAccessibleName(Texts::tr("Overlay text"));
  overlay_text_edit_->setGeometry(16, 24, 249, 24);
  font_button_ = PlacedButton(text_group_, "Button25", Texts::tr("&Font"), QRect(48, 64, 57, 25));
  // The font dialog has no colour: the text's colour has its own button,
  // between "&Font" and "&Apply".
  colour_button_ =
      PlacedButton(text_group_, "TextColourButton", Texts::tr("&Colour"), QRect(107, 64, 51, 25));
  colour_button_->setToolTip(Texts::tr("The colour of the text"));
  apply_text_button_ =
      PlacedButton(text_group_, "Button26", Texts::tr("&Apply"), QRect(160, 64, 57, 25));
  return photo_source_band_;
}

QGroupBox* MainWindow::BuildCommandBand() {
  command_band_ = Group(nullptr, "GroupBox3", Texts::tr("Command"));
  command_band_->setFixedWidth(kCommandWidth);
  command_band_->setMinimumHeight(kCommandHeight);
  const auto at = [](int top) { return QRect(17, top, 100, 30); };
  about_button_ = PlacedButton(command_band_, "Button9", Texts::tr("&About"), at(28));
  merge_button_ = PlacedButton(command_band_, "BitBtn1", Texts::tr("&Merge"), at(76));
  merge_button_->setDefault(true);
  save_button_ = PlacedButton(command_band_, "Button4", Texts::tr("&Save"), at(124));
  rotate_button_ = PlacedButton(command_band_, "Button5", Texts::tr("&Rotate"), at(172));
  rotate_button_->setToolTip(Texts::tr("Rotate canvas"));
  print_button_ = PlacedButton(command_band_, "Button14", Texts::tr("&Print"), at(220));
  align_bars_box_ = Named(new QCheckBox(Texts::tr("Align-Bar"), command_band_), "CheckBox1");
  align_bars_box_->setGeometry(21, 266, 100, 22);
  exit_button_ = PlacedButton(command_band_, "Button12", Texts::tr("&Exit"), at(310));
  fit_and_frame_button_ = PlacedButton(command_band_, "Button22", Texts::tr("裁切"), at(350));
  fit_and_frame_button_->setToolTip(QStringLiteral("Frame the current photo again: its crop rectangle "
                                                   "back in the view"));
  return command_band_;
}

QWidget* MainWindow::BuildView() {
  auto* box = Named(new ViewBox, "ScrollBox1");
  QPalette grey = box->palette();
  grey.setColor(QPalette::Window, kMediumGrey);
  box->setPalette(grey);
  box->setAutoFillBackground(true);
  view_box_ = box;

  QWidget* client = box->ClientArea();
  photo_view_ = Named(new PictureView(client), "Image1");
  photo_view_->SetBackground(kMediumGrey);
  photo_view_->setCursor(Qt::CrossCursor);
  box->SetFill(photo_view_);

  work_image_ = Named(new PictureView(client), "Image2");  // the hidden work image
  work_image_->hide();

  crop_shape_ = Named(new CropShape(client), "Shape7");
  crop_shape_->hide();
  return box;
}

void MainWindow::BuildHiddenControls(QGroupBox* preferences, QGroupBox* command) {
  lens_group_ = Group(preferences, "GroupBox4", Texts::tr("Lens"));
  lens_group_->setGeometry(700, 18, 140, 88);
  lens_pitch_box_ = Named(new QComboBox(lens_group_), "ComboBox1");
  lens_pitch_box_->setAccessibleName(Texts::tr("Lens pitch"));
  lens_pitch_box_->addItems({"42.275", "21.25", "75.15", "61.53"});
  lens_pitch_box_->setCurrentIndex(1);
  lens_pitch_box_->setGeometry(12, 22, 110, 24);
  Label(lens_group_, "LensDpiLabel", Texts::tr("DPI:"), QPoint(12, 58));
  Label(lens_group_, "LensDpiValue", "422.75", QPoint(50, 58));
  lens_group_->hide();

  interlace_type_group_ = Group(preferences, "GroupBox5", Texts::tr("Interlace Type"));
  interlace_type_group_->setGeometry(850, 18, 130, 88);
  three_d_button_ = Named(new QRadioButton(Texts::tr("3D"), interlace_type_group_), "RadioButton1");
  three_d_button_->setGeometry(12, 24, 100, 22);
  up_down_button_ =
      Named(new QRadioButton(Texts::tr("Up-Down"), interlace_type_group_), "RadioButton2");
  up_down_button_->setGeometry(12, 52, 100, 22);
  up_down_button_->setChecked(true);
  interlace_type_group_->hide();

  output_error_group_ = Group(preferences, "GroupBox6", Texts::tr("输出误差"));
  output_error_group_->setGeometry(990, 18, 160, 88);
  output_error_slider_ = Named(new QSlider(Qt::Horizontal, output_error_group_), "TrackBar1");
  output_error_slider_->setAccessibleName(Texts::tr("Output error"));
  output_error_slider_->setRange(-4, 4);
  output_error_slider_->setValue(0);
  output_error_slider_->setGeometry(12, 22, 136, 26);
  Label(output_error_group_, "TrackBarCaption", Texts::tr("参考测试图调整"), QPoint(12, 58));
  output_error_group_->hide();

  align_button_ = PlacedButton(command, "Button23", Texts::tr("&Align"), QRect(17, 390, 100, 30));
  align_button_->hide();

  // A link label: underlined, and a click on it asks to open the address.
  web_link_ = Label(preferences, "Label3", "", QPoint(556, 30));
  web_link_->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(QString::fromLatin1(kWebAddress)));
  web_link_->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  web_link_->adjustSize();
  web_link_->hide();
}

void MainWindow::BuildMenu() {
  QMenu* tools = menuBar()->addMenu(Texts::tr("&Tools"));
  tools->setObjectName(QStringLiteral("ToolsMenu"));
  QAction* chart = tools->addAction(Texts::tr("Pitch test chart..."));
  chart->setObjectName(QStringLiteral("PitchTestChartAction"));
  connect(chart, &QAction::triggered, this, &MainWindow::ShowTestChartWindow);
  lens_view_action_ = tools->addAction(Texts::tr("View through lens..."));
  lens_view_action_->setObjectName(QStringLiteral("ViewThroughLensAction"));
  connect(lens_view_action_, &QAction::triggered, this, &MainWindow::ShowLensViewWindow);
  BuildPressMenu();
}

MainWidgets MainWindow::Widgets() const {
  MainWidgets w;
  w.portrait_button = portrait_button_;
  w.landscape_button = landscape_button_;
  w.view_box = view_box_;
  w.photo_view = photo_view_;
  w.thumbnails = thumbnails_;
  w.crop_shape = crop_shape_;
  w.overlay_text_edit = overlay_text_edit_;
  w.rotate_button = rotate_button_;
  return w;
}

}  // namespace lenti::ui
