// The controls of TForm1, band by band, at the positions the person knows.
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
#include <QSlider>
#include <QVBoxLayout>

#include "ui/artwork.h"
#include "ui/crop_shape.h"
#include "ui/liti2.h"
#include "ui/picture_view.h"
#include "ui/view_box.h"
#include "ui/web_address.h"

namespace lenti::ui {
namespace {

constexpr int kPreferencesHeight = 113;
constexpr int kPhotoSourceWidth = 297;
constexpr int kCommandWidth = 134;
const QColor kMediumGrey(128, 128, 128);

// The controls of slot k at index k - 1.
struct SlotNames {
  const char* button;
  const char* thumbnail;
};
constexpr SlotNames kSlotNames[kSlotCount] = {
    {"Button1", "Image3"},   {"Button2", "Image4"},   {"Button3", "Image5"},
    {"Button6", "Image6"},   {"Button7", "Image7"},   {"Button8", "Image8"},
    {"Button10", "Image9"},  {"Button11", "Image10"}, {"Button18", "Image11"},
    {"Button19", "Image12"}, {"Button20", "Image13"}, {"Button21", "Image14"},
    {"Button13", "Image18"}, {"Button15", "Image17"}, {"Button16", "Image16"},
    {"Button17", "Image15"},
};
// Four rows of four slots: buttons (50 x 25) above their thumbnails (65 x 57).
constexpr int kButtonLeft[4] = {16, 89, 160, 233};
constexpr int kButtonTop[4] = {32, 131, 230, 334};
constexpr int kThumbnailLeft[4] = {8, 80, 152, 224};
constexpr int kThumbnailTop[4] = {59, 165, 264, 367};

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, QRect at) {
  auto* button = Named(new QPushButton(caption, parent), name);
  button->setGeometry(at);
  return button;
}

QGroupBox* Group(QWidget* parent, const char* name, const char* caption) {
  return Named(new QGroupBox(Text(caption), parent), name);
}

QLabel* Label(QWidget* parent, const char* name, const char* caption, QPoint at) {
  auto* label = Named(new QLabel(Text(caption), parent), name);
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

}  // namespace

void TForm1::BuildControls() {
  auto* central = Named(new QWidget(this), "Client");
  auto* rows = new QVBoxLayout(central);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(0);
  rows->addWidget(BuildPreferencesBand());

  auto* middle = new QHBoxLayout;
  middle->setSpacing(0);
  middle->addWidget(BuildPhotoSourceBand());
  middle->addWidget(BuildView(), 1);
  middle->addWidget(BuildCommandBand());
  rows->addLayout(middle, 1);

  ProgressBar1 = Named(new QProgressBar(central), "ProgressBar1");
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setFixedHeight(17);
  rows->addWidget(ProgressBar1);
  setCentralWidget(central);

  BuildHiddenControls(GroupBox2, GroupBox3);
  BuildMenu();
}

QGroupBox* TForm1::BuildPreferencesBand() {
  GroupBox2 = Group(nullptr, "GroupBox2", "Preferences");
  GroupBox2->setFixedHeight(kPreferencesHeight);

  GroupBox8 = Group(GroupBox2, "GroupBox8", "Mode");
  GroupBox8->setGeometry(12, 18, 220, 88);
  RadioButton3 = Named(new QRadioButton(GroupBox8), "RadioButton3");
  RadioButton3->setGeometry(16, 38, 20, 20);
  RadioButton3->setChecked(true);
  RadioButton3->setToolTip(QStringLiteral("Upright print, strips along the rows"));
  ImageLabel(GroupBox8, "PortraitPictogram", DrawPortraitPictogram(), QPoint(40, 27));
  RadioButton4 = Named(new QRadioButton(GroupBox8), "RadioButton4");
  RadioButton4->setGeometry(112, 38, 20, 20);
  RadioButton4->setToolTip(QStringLiteral("Print across, strips along the columns"));
  ImageLabel(GroupBox8, "LandscapePictogram", DrawLandscapePictogram(), QPoint(136, 31));

  Image19 = ImageLabel(GroupBox2, "Image19", DrawLogo(), QPoint(260, 32));
  Label(GroupBox2, "VersionLabel", "Ver 1.10", QPoint(556, 78));
  return GroupBox2;
}

QGroupBox* TForm1::BuildPhotoSourceBand() {
  GroupBox1 = Group(nullptr, "GroupBox1", "Photo Source");
  GroupBox1->setFixedWidth(kPhotoSourceWidth);
  for (int index = 0; index < kSlotCount; ++index) {
    const int row = index / 4, column = index % 4;
    slot_buttons_[index] = Button(GroupBox1, kSlotNames[index].button,
                                  QString::asprintf("%02d", index + 1),
                                  QRect(kButtonLeft[column], kButtonTop[row], 50, 25));
    thumbnails_[index] = Named(new PictureView(GroupBox1), kSlotNames[index].thumbnail);
    thumbnails_[index]->setGeometry(kThumbnailLeft[column], kThumbnailTop[row], 65, 57);
    thumbnails_[index]->SetEmptyFrame(true);
  }

  GroupBox7 = Group(GroupBox1, "GroupBox7", "Input text");
  GroupBox7->setGeometry(8, 432, 281, 105);
  Edit1 = Named(new QLineEdit(GroupBox7), "Edit1");
  Edit1->setGeometry(16, 24, 249, 24);
  Button25 = Button(GroupBox7, "Button25", Text("&Font"), QRect(48, 64, 57, 25));
  Button26 = Button(GroupBox7, "Button26", Text("&Apply"), QRect(160, 64, 57, 25));
  Button26->setEnabled(false);
  return GroupBox1;
}

QGroupBox* TForm1::BuildCommandBand() {
  GroupBox3 = Group(nullptr, "GroupBox3", "Command");
  GroupBox3->setFixedWidth(kCommandWidth);
  const auto at = [](int top) { return QRect(17, top, 100, 30); };
  Button9 = Button(GroupBox3, "Button9", Text("&About"), at(28));
  BitBtn1 = Button(GroupBox3, "BitBtn1", Text("&Merge"), at(76));
  BitBtn1->setDefault(true);
  Button4 = Button(GroupBox3, "Button4", Text("&Save"), at(124));
  Button5 = Button(GroupBox3, "Button5", Text("&Rotate"), at(172));
  Button5->setToolTip(QStringLiteral("Rotate canvas"));
  Button14 = Button(GroupBox3, "Button14", Text("&Print"), at(220));
  CheckBox1 = Named(new QCheckBox(QStringLiteral("Align-Bar"), GroupBox3), "CheckBox1");
  CheckBox1->setGeometry(21, 266, 100, 22);
  Button12 = Button(GroupBox3, "Button12", Text("&Exit"), at(310));
  for (QWidget* later : {static_cast<QWidget*>(Button4), static_cast<QWidget*>(Button5),
                         static_cast<QWidget*>(Button14), static_cast<QWidget*>(CheckBox1)})
    later->setEnabled(false);  // enabled by the first merge
  return GroupBox3;
}

QWidget* TForm1::BuildView() {
  auto* box = Named(new ViewBox, "ScrollBox1");
  QPalette grey = box->palette();
  grey.setColor(QPalette::Window, kMediumGrey);
  box->setPalette(grey);
  box->setAutoFillBackground(true);
  ScrollBox1 = box;

  QWidget* client = box->ClientArea();
  Image1 = Named(new PictureView(client), "Image1");
  Image1->SetBackground(kMediumGrey);
  Image1->setCursor(Qt::CrossCursor);
  Image1->setEnabled(false);  // clicks place text only after a merge
  box->SetFill(Image1);

  Image2 = Named(new PictureView(client), "Image2");  // the hidden work image
  Image2->hide();

  Shape7 = Named(new CropShape(client), "Shape7");
  Shape7->hide();
  return box;
}

void TForm1::BuildHiddenControls(QGroupBox* preferences, QGroupBox* command) {
  GroupBox4 = Group(preferences, "GroupBox4", "Lens");
  GroupBox4->setGeometry(700, 18, 140, 88);
  ComboBox1 = Named(new QComboBox(GroupBox4), "ComboBox1");
  ComboBox1->addItems({"42.275", "21.25", "75.15", "61.53"});
  ComboBox1->setCurrentIndex(1);
  ComboBox1->setGeometry(12, 22, 110, 24);
  Label(GroupBox4, "LensDpiLabel", "DPI:", QPoint(12, 58));
  Label(GroupBox4, "LensDpiValue", "422.75", QPoint(50, 58));
  GroupBox4->hide();

  GroupBox5 = Group(preferences, "GroupBox5", "Interlace Type");
  GroupBox5->setGeometry(850, 18, 130, 88);
  RadioButton1 = Named(new QRadioButton(QStringLiteral("3D"), GroupBox5), "RadioButton1");
  RadioButton1->setGeometry(12, 24, 100, 22);
  RadioButton2 = Named(new QRadioButton(QStringLiteral("Up-Down"), GroupBox5), "RadioButton2");
  RadioButton2->setGeometry(12, 52, 100, 22);
  RadioButton2->setChecked(true);
  GroupBox5->hide();

  GroupBox6 = Group(preferences, "GroupBox6", "输出误差");
  GroupBox6->setGeometry(990, 18, 160, 88);
  TrackBar1 = Named(new QSlider(Qt::Horizontal, GroupBox6), "TrackBar1");
  TrackBar1->setRange(-4, 4);
  TrackBar1->setValue(0);
  TrackBar1->setGeometry(12, 22, 136, 26);
  Label(GroupBox6, "TrackBarCaption", "参考测试图调整", QPoint(12, 58));
  GroupBox6->hide();

  Button22 = Button(command, "Button22", Text("裁切"), QRect(17, 350, 100, 30));
  Button22->hide();
  Button23 = Button(command, "Button23", Text("&Align"), QRect(17, 390, 100, 30));
  Button23->hide();

  // A link label: underlined, and a click on it asks to open the address.
  Label3 = Label(preferences, "Label3", "", QPoint(556, 30));
  Label3->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(QString::fromLatin1(kWebAddress)));
  Label3->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  Label3->adjustSize();
  Label3->hide();
}

void TForm1::BuildMenu() {
  QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
  tools->setObjectName(QStringLiteral("ToolsMenu"));
  QAction* chart = tools->addAction(QStringLiteral("Pitch test chart..."));
  chart->setObjectName(QStringLiteral("PitchTestChartAction"));
  connect(chart, &QAction::triggered, this, &TForm1::ShowTestChartWindow);
}

MainWidgets TForm1::Widgets() const {
  MainWidgets w;
  w.window = const_cast<TForm1*>(this);
  w.RadioButton3 = RadioButton3;
  w.ScrollBox1 = ScrollBox1;
  w.Image1 = Image1;
  w.thumbnails = thumbnails_;
  w.Shape7 = Shape7;
  w.Button4 = Button4;
  w.Button5 = Button5;
  w.Button14 = Button14;
  w.CheckBox1 = CheckBox1;
  w.Button26 = Button26;
  w.Edit1 = Edit1;
  w.ProgressBar1 = ProgressBar1;
  return w;
}

}  // namespace lenti::ui
