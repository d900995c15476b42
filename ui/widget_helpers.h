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

// A push button with a UTF-8 caption at a fixed place in its parent.
inline QPushButton* PlacedButton(QWidget* parent, const char* name, const char* caption, QRect at) {
  auto* button = Named(new QPushButton(QString::fromUtf8(caption), parent), name);
  button->setGeometry(at);
  return button;
}

}  // namespace lenti::ui
