// Small helpers the windows build their controls with. Every control
// carries its documented control name as its objectName, so tests find it
// by that name.
#pragma once

#include <QPushButton>
#include <QRect>
#include <QString>

namespace lenti::ui {

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

// The flags of a side window of the main window (the test chart, "&About",
// the print preview, "View through lens"): a top-level window of its own
// that the window manager keeps above the main window while it is open, also
// after a dialog of its own has closed. Made with the main window as parent,
// it is the main window's transient; on X11 Qt marks only windows of the
// dialog type so, and a plain Qt::Window fell behind the main window at the
// first click on it. `buttons`: the title bar's buttons.
inline Qt::WindowFlags SideWindowFlags(Qt::WindowFlags buttons) {
  return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | buttons;
}

// A push button with a UTF-8 caption at a fixed place in its parent.
inline QPushButton* PlacedButton(QWidget* parent, const char* name, const QString& caption,
                                 QRect at) {
  auto* button = Named(new QPushButton(caption, parent), name);
  button->setGeometry(at);
  return button;
}

}  // namespace lenti::ui
