// The print preview. It shows the page at 25 px per inch with
// the output's outline and never the picture; "&Print" prints MergedBitmap
// as it stands when pressed, so an older preview prints the current picture.
#include "ui/print_preview.h"

#include <QFont>
#include <QFontDatabase>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "ui/guard.h"
#include "ui/picture_view.h"
#include "ui/qt_printer.h"
#include "ui/texts.h"
#include "ui/widget_helpers.h"
#include "ui/window_fit.h"

namespace lenti::ui {
namespace {

// The warning's face: the CJK bold-looking face when installed, otherwise
// the system's default face (bold, 16 px, red all the same).
QFont WarningFont() {
  QFont font;
  const QString face = QString::fromUtf8("黑体");
  if (QFontDatabase::families().contains(face)) font.setFamily(face);
  font.setBold(true);
  font.setPixelSize(16);
  return font;
}

constexpr int kButtonTop = 432;
constexpr int kButtonHeight = 25;

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int left) {
  return PlacedButton(parent, name, text, QRect(left, kButtonTop, 75, kButtonHeight));
}

}  // namespace

PrintPreview::PrintPreview(MakerState& state, Dialogs& dialogs, PrinterPort& printer,
                           const PrintPreviewLayout& layout, QWidget* parent)
    : QDialog(parent), state_(state), dialogs_(dialogs), printer_(printer) {
  setObjectName(QStringLiteral("Printfrom"));
  setWindowTitle(Texts::tr("Print Preview"));
  // Above the main window as its transient (a dialog with the main window as
  // parent), not above every program: the file dialog and the messages of
  // its own print come up over it.
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose);
  move(268, 155);

  auto* image = new QLabel(this);
  image->setObjectName(QStringLiteral("Image1"));
  image->setGeometry(layout.image_left, layout.image_top, layout.image_width, layout.image_height);
  image->setScaledContents(false);
  image->setPixmap(QPixmap::fromImage(RasterImage(DrawPreviewPage(layout))));

  // Created after the page picture, so it lies over it.
  auto* warning = new QLabel(this);
  warning->setObjectName(QStringLiteral("Label1"));
  warning->setFont(WarningFont());
  QPalette palette = warning->palette();
  palette.setColor(QPalette::WindowText, Qt::red);
  warning->setPalette(palette);
  warning->setText(layout.size_over ? Texts::tr("Print size over!") : QString());
  warning->move(160, 80);
  warning->adjustSize();

  // 485 x 492 outside, the window manager's frame included, and taller by
  // the resampling note below the buttons: a long page's picture reaches
  // down to the buttons, and the note wraps to as many lines as it needs.
  OuterFit::StartOuterSize(*this, QSize(485, 492 + PlaceResampleNote(layout.resample_note)));

  connect(MakeButton(this, "Button1", Texts::tr("&Print"), 224), &QPushButton::clicked, this,
          &PrintPreview::OnPrint);
  connect(MakeButton(this, "Button2", Texts::tr("&Cancel"), 344), &QPushButton::clicked, this,
          &PrintPreview::OnCancel);
}

int PrintPreview::PlaceResampleNote(const std::string& text) {
  // Whether each picture pixel is one printer pixel.
  auto* note = new QLabel(QString::fromStdString(text), this);
  note->setObjectName(QStringLiteral("ResampleNote"));
  note->setWordWrap(true);
  note->setVisible(!text.empty());
  if (text.empty()) return 0;
  constexpr int kMargin = 8;
  constexpr int kWidth = 485 - 2 * kMargin;
  const int height = note->heightForWidth(kWidth);
  note->setGeometry(kMargin, kButtonTop + kButtonHeight + kMargin, kWidth, height);
  return height + kMargin;
}

void PrintPreview::OnPrint() {
  bool printed = false;
  Guarded(dialogs_, [&] { printed = PrintMergedBitmap(state_, printer_); });
  // A failed job, or a file name not given, leaves the preview open for another try.
  if (!printed) return;
  RecordPrinted(state_);
  const std::string written = printer_.WrittenFile();
  // The preview stays above other windows: it goes before the message shows.
  close();
  if (!written.empty()) Guarded(dialogs_, [&] { dialogs_.ShowMessage(WrittenFileMessage(written)); });
}

void PrintPreview::OnCancel() { close(); }

}  // namespace lenti::ui
