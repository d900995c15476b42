#include "ui/guard.h"

#include <exception>
#include <new>

#include <QApplication>
#include <QMessageBox>

#include "core/error.h"
#include "ui/error_box.h"

namespace lenti::ui {
namespace {

ErrorBoxHook& Hook() {
  static ErrorBoxHook hook;
  return hook;
}

void ShowErrorBox(QWidget* owner, const QString& text) {
  if (Hook()) return Hook()(owner, text);
  QMessageBox::critical(owner, QString(), text);
}

// A command that failed must not leave the hourglass behind, whatever
// busy cursors it had set before the error.
void RestoreScreenCursor() {
  while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
}

}  // namespace

ErrorBoxHook SetErrorBoxHook(ErrorBoxHook hook) {
  ErrorBoxHook previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}

QString ErrorBoxText(const std::string& what) {
  QString text = QString::fromStdString(what);
  if (!text.isEmpty() && text.back() > QChar(u'.')) text += u'.';
  return text;
}

void Guarded(QWidget* owner, const std::function<void()>& work) {
  std::string what;
  try {
    work();
    return;
  } catch (const std::bad_alloc&) {
    what = OutOfMemory().what();
  } catch (const std::exception& e) {
    what = e.what();
  }
  RestoreScreenCursor();
  ShowErrorBox(owner, ErrorBoxText(what));
}

}  // namespace lenti::ui
