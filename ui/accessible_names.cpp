#include "ui/accessible_names.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

namespace lenti::ui {
namespace {

QString WithoutShortcutMark(QString text) {
  text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
  return text;
}

void NameIfUnnamed(QWidget& control, const QString& name) {
  if (control.accessibleName().isEmpty() && !name.isEmpty()) control.setAccessibleName(name);
}

}  // namespace

void NameControlsForAccessibility(QWidget& window) {
  for (auto* button : window.findChildren<QAbstractButton*>()) {
    NameIfUnnamed(*button, WithoutShortcutMark(button->text()));
    NameIfUnnamed(*button, button->toolTip());
  }
  for (auto* box : window.findChildren<QComboBox*>()) {
    NameIfUnnamed(*box, box->toolTip());
    if (box->lineEdit() != nullptr) NameIfUnnamed(*box->lineEdit(), box->accessibleName());
  }
  for (auto* edit : window.findChildren<QLineEdit*>()) NameIfUnnamed(*edit, edit->toolTip());
}

}  // namespace lenti::ui
