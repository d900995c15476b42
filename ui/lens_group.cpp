// The Lens group: three rows of settings and the readout beneath them.
#include "ui/lens_group.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>

#include "core/error.h"
#include "delivery/press_settings.h"
#include "interlace/lens_input.h"
#include "ui/guard.h"
#include "ui/texts.h"
#include "ui/widget_helpers.h"

namespace lenti::ui {
namespace {

constexpr int kRowHeight = 22;

// The fields in the order they are shown and remembered, with their keys.
struct FieldKey {
  LensField field;
  const char* key;
};
constexpr FieldKey kFields[] = {
    {LensField::Pitch, "lens/pitch"},    {LensField::OutputDpi, "lens/resolution"},
    {LensField::Phase, "lens/phase"},    {LensField::Width, "lens/width"},
    {LensField::Height, "lens/height"},  {LensField::Sampling, "lens/sampling"},
};

QString Text(const std::string& text) { return QString::fromStdString(text); }

QLabel* Caption(QWidget* parent, const char* name, const QString& text) {
  return Named(new QLabel(text, parent), name);
}

QComboBox* ListBox(QWidget* parent, const char* name, const QStringList& entries, bool editable, int width) {
  auto* box = Named(new QComboBox(parent), name);
  box->setEditable(editable);
  if (editable) box->setInsertPolicy(QComboBox::NoInsert);  // typing never adds an entry
  box->addItems(entries);
  box->setFixedSize(width, kRowHeight);
  return box;
}

QLineEdit* Edit(QWidget* parent, const char* name, int width) {
  auto* edit = Named(new QLineEdit(parent), name);
  edit->setFixedSize(width, kRowHeight);
  return edit;
}

// Shows `text` in a box: its entry when the list has it, else as typed.
void ShowIn(QComboBox* box, const QString& text) {
  const int listed = box->findText(text, Qt::MatchExactly);
  if (listed >= 0) box->setCurrentIndex(listed);
  if (box->isEditable()) box->setEditText(text);
}

}  // namespace

LensGroup::LensGroup(LensSettings& lens, Dialogs& dialogs, QWidget* parent)
    : QGroupBox(Texts::tr("Lens"), parent), lens_(lens), dialogs_(dialogs) {
  setObjectName(QStringLiteral("LensGroup"));
  Build();
  ShowSettings();
}

LensGroup::~LensGroup() = default;

void LensGroup::Build() {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(8, 0, 8, 0);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(1);

  pitch_box_ = ListBox(this, "LensPitchBox",
                       {"42.275", "21.25", "75.15", "61.53", "20", "30", "40", "50", "60", "62", "75", "100"},
                       true, 84);
  pitch_box_->setToolTip(Text("Lenses per inch of the sheet: " + kMinLensPitch.Text() + " to " +
                               kMaxLensPitch.Text() + ", up to 4 decimals"));
  dpi_box_ = ListBox(this, "LensDpiBox",
                     {kNearest300Text, "300", "360", "600", "720", "1200", "1440", "2400"}, true, 140);
  dpi_box_->setToolTip(
      Texts::tr("The printer's own resolution (72 to 4800 dpi), or the resolution "
                "nearest to 300 dpi that gives whole strips"));
  phase_edit_ = Edit(this, "LensPhaseEdit", 52);
  phase_edit_->setToolTip(Texts::tr("Where the first lens starts: -0.5 to 0.5 of a lens"));
  width_edit_ = Edit(this, "LensWidthEdit", 46);
  height_edit_ = Edit(this, "LensHeightEdit", 46);
  width_edit_->setToolTip(Texts::tr("Picture width upright, in cm"));
  height_edit_->setToolTip(Texts::tr("Picture height upright, in cm"));
  sampling_box_ = ListBox(this, "LensSamplingBox", {"nearest", "area average"}, false, 110);
  sampling_box_->setToolTip(
      Texts::tr("Area average: each pixel averages the photo pixels it "
                "covers (no aliasing in the strips)"));

  grid->addWidget(Caption(this, "LensPitchCaption", Texts::tr("Pitch (lpi):")), 0, 0);
  grid->addWidget(pitch_box_, 0, 1);
  grid->addWidget(Caption(this, "LensDpiCaption", Texts::tr("Output:")), 0, 2);
  grid->addWidget(dpi_box_, 0, 3);
  grid->addWidget(Caption(this, "LensPhaseCaption", Texts::tr("Phase:")), 0, 4);
  grid->addWidget(phase_edit_, 0, 5);

  grid->addWidget(Caption(this, "LensSizeCaption", Texts::tr("Size (cm):")), 1, 0);
  auto* size = new QHBoxLayout;
  size->setSpacing(3);
  size->addWidget(width_edit_);
  size->addWidget(Caption(this, "LensSizeBy", "x"));
  size->addWidget(height_edit_);
  size->addStretch(1);
  grid->addLayout(size, 1, 1);
  grid->addWidget(Caption(this, "LensSamplingCaption", Texts::tr("Sampling:")), 1, 2);
  grid->addWidget(sampling_box_, 1, 3);

  readout_ = Caption(this, "LensReadout", "");
  warning_ = Caption(this, "LensWarning", "");
  QPalette red = warning_->palette();
  red.setColor(QPalette::WindowText, Qt::red);
  warning_->setPalette(red);
  // The readout never widens the group: on a narrow screen a long line is
  // cut at the group's edge, and its tooltip holds it whole. The warning
  // wraps instead, since it says what to change.
  for (QLabel* label : {readout_, warning_}) label->setMinimumWidth(1);
  warning_->setWordWrap(true);
  auto* line = new QHBoxLayout;
  line->setSpacing(12);
  line->addWidget(readout_);
  line->addWidget(warning_, 1);
  grid->addLayout(line, 2, 0, 1, 7);
  grid->setColumnStretch(6, 1);

  // Typed texts count when the box is left or Enter is pressed; a pick
  // from a list at once.
  const auto take_box = [this](QComboBox* box, LensField field) {
    connect(box, &QComboBox::activated, this,
            [this, box, field](int index) { Take(static_cast<int>(field), box->itemText(index)); });
    if (box->isEditable()) {
      connect(box->lineEdit(), &QLineEdit::editingFinished, this,
              [this, box, field] { Take(static_cast<int>(field), box->currentText()); });
    }
  };
  take_box(pitch_box_, LensField::Pitch);
  take_box(dpi_box_, LensField::OutputDpi);
  take_box(sampling_box_, LensField::Sampling);
  const auto take_edit = [this](QLineEdit* edit, LensField field) {
    connect(edit, &QLineEdit::editingFinished, this,
            [this, edit, field] { Take(static_cast<int>(field), edit->text()); });
  };
  take_edit(phase_edit_, LensField::Phase);
  take_edit(width_edit_, LensField::Width);
  take_edit(height_edit_, LensField::Height);
}

void LensGroup::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QGroupBox::keyPressEvent(event);
}

std::vector<QWidget*> LensGroup::Fields() const {
  return {pitch_box_, dpi_box_, phase_edit_, width_edit_, height_edit_, sampling_box_};
}

namespace {

QString FieldText(const QWidget* field) {
  if (const auto* box = qobject_cast<const QComboBox*>(field)) return box->currentText();
  return static_cast<const QLineEdit*>(field)->text();
}

}  // namespace

void LensGroup::ShowChosenSettings() {
  std::vector<QString> before;
  for (const QWidget* field : Fields()) before.push_back(FieldText(field));
  ShowSettings();
  ClearChosenMarks();
  const std::vector<QWidget*> fields = Fields();
  for (size_t i = 0; i < fields.size(); ++i) {
    if (FieldText(fields[i]) == before[i]) continue;
    fields[i]->setProperty("chosen", true);
    fields[i]->setStyleSheet(QStringLiteral("background-color: #fff0a0;"));
  }
}

void LensGroup::ClearChosenMarks() {
  for (QWidget* field : Fields()) {
    if (!field->property("chosen").toBool()) continue;
    field->setProperty("chosen", false);
    field->setStyleSheet(QString());
  }
}

void LensGroup::Take(int field_index, const QString& text) {
  ClearChosenMarks();
  const auto field = static_cast<LensField>(field_index);
  const std::string typed = text.trimmed().toStdString();
  if (typed == LensFieldText(lens_, field)) return;  // nothing changed
  bool taken = false;
  Guarded(dialogs_, [&] {
    try {
      SetLensField(lens_, field, typed);
      taken = true;
    } catch (...) {
      // The field shows the setting again before the message, so leaving
      // it for the message box does not refuse the same text twice.
      ShowSettings();
      throw;
    }
  });
  if (!taken) return;
  ShowSettings();
  emit Changed();
}

void LensGroup::ShowSettings() {
  ShowIn(pitch_box_, Text(LensFieldText(lens_, LensField::Pitch)));
  ShowIn(dpi_box_, Text(LensFieldText(lens_, LensField::OutputDpi)));
  phase_edit_->setText(Text(LensFieldText(lens_, LensField::Phase)));
  width_edit_->setText(Text(LensFieldText(lens_, LensField::Width)));
  height_edit_->setText(Text(LensFieldText(lens_, LensField::Height)));
  ShowIn(sampling_box_, Text(LensFieldText(lens_, LensField::Sampling)));
  Refresh(frame_count_, mode_, bleed_mm_);
  Remember();
}

void LensGroup::Refresh(int32_t frame_count, Mode mode, double bleed_mm) {
  frame_count_ = frame_count;
  mode_ = mode;
  bleed_mm_ = bleed_mm;
  const LensReadout readout = DescribeLens(lens_, frame_count_, mode_);
  QString text = readout.lens.empty() ? QString()
                                      : Text(readout.lens) + QStringLiteral("  \u00b7  ") + Text(readout.picture);
  if (!text.isEmpty() && bleed_mm_ > 0) {
    // The size is given upright; across, the picture lies the other way.
    const bool across = mode_ == Mode::LandscapeColumns;
    const double width = (across ? lens_.HeightCmX100 : lens_.WidthCmX100) / 100.0;
    const double height = (across ? lens_.WidthCmX100 : lens_.HeightCmX100) / 100.0;
    text += QStringLiteral("  \u00b7  ") + Text(PressSizeText(width, height, bleed_mm_));
  }
  readout_->setText(text);
  warning_->setText(Text(readout.warning));
  readout_->setToolTip(readout_->text());
  warning_->setToolTip(warning_->text());
}

void LensGroup::RememberIn(std::unique_ptr<QSettings> store) {
  store_ = std::move(store);
  if (!store_) return;
  for (const FieldKey& f : kFields) {
    const QString key = QString::fromLatin1(f.key);
    if (!store_->contains(key)) continue;
    try {
      SetLensField(lens_, f.field, store_->value(key).toString().toStdString());
    } catch (const Error&) {
      // A remembered value that is no longer valid: the setting stays.
    }
  }
  ShowSettings();
}

void LensGroup::Remember() {
  if (!store_) return;
  for (const FieldKey& f : kFields) store_->setValue(QString::fromLatin1(f.key), Text(LensFieldText(lens_, f.field)));
  store_->sync();
}

}  // namespace lenti::ui
