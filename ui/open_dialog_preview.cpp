#include "ui/open_dialog_preview.h"
#include "ui/texts.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>

namespace lenti::ui {

void ShowPreview(QLabel& preview, const QString& path) {
  QImageReader reader(path);
  reader.setDecideFormatFromContent(true);
  const QSize full = reader.size();
  if (path.isEmpty() || !QFileInfo(path).isFile() || !full.isValid()) {
    preview.setPixmap(QPixmap());
    preview.setText(Texts::tr("No preview"));
    return;
  }
  // Decoded at the preview's size (a JPEG is scaled while it is decoded).
  reader.setScaledSize(full.scaled(kPreviewSide, kPreviewSide, Qt::KeepAspectRatio));
  const QImage image = reader.read();
  if (image.isNull()) {
    preview.setPixmap(QPixmap());
    preview.setText(Texts::tr("No preview"));
    return;
  }
  preview.setPixmap(QPixmap::fromImage(image));
  preview.setToolTip(Texts::tr("%1 x %2 px").arg(full.width()).arg(full.height()));
}

void AddOpenDialogPreview(QFileDialog& dialog) {
  auto* preview = new QLabel(Texts::tr("No preview"), &dialog);
  preview->setObjectName(QStringLiteral("OpenPicturePreview"));
  preview->setAlignment(Qt::AlignCenter);
  preview->setFixedSize(kPreviewSide + 8, kPreviewSide + 8);
  preview->setFrameShape(QFrame::StyledPanel);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
    grid->addWidget(preview, 1, grid->columnCount(), 1, 1, Qt::AlignTop);
  }
  QObject::connect(&dialog, &QFileDialog::currentChanged, preview,
                   [preview](const QString& path) { ShowPreview(*preview, path); });

  dialog.setViewMode(QFileDialog::Detail);
  dialog.resize(960, 560);
  // The name column takes the room left; the others show all they hold.
  if (auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < header->count(); ++column)
      header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
  }
  // A path typed with Enter accepts the dialog while the completer's list
  // may still be up; it goes with the dialog instead of catching the next click.
  QObject::connect(&dialog, &QDialog::finished, &dialog, [&dialog] {
    for (auto* edit : dialog.findChildren<QLineEdit*>()) {
      if (QCompleter* completer = edit->completer(); completer != nullptr && completer->popup() != nullptr)
        completer->popup()->hide();
    }
    ShowPreview(*dialog.findChild<QLabel*>(QStringLiteral("OpenPicturePreview")), QString());
  });
}

}  // namespace lenti::ui
