// The open-picture dialog's extras: a preview of the chosen file beside the
// list, file list columns wide enough for what they show, and no name
// completer left open over the window once the dialog has closed.
#pragma once

#include <QString>

class QFileDialog;
class QLabel;

namespace lenti::ui {

// The side of the square the preview shows the picture in.
inline constexpr int kPreviewSide = 200;

// Adds the preview ("OpenPicturePreview": the picture scaled to fit, its
// size in pixels below) and the rest to `dialog` (a Qt, not native, dialog).
void AddOpenDialogPreview(QFileDialog& dialog);

// Shows `path` in the preview (an empty path or a file that is no picture:
// "No preview").
void ShowPreview(QLabel& preview, const QString& path);

}  // namespace lenti::ui
