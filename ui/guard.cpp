#include "ui/guard.h"

#include <exception>
#include <new>

#include <QApplication>

#include "core/error.h"

namespace lenti::ui {
namespace {

// A command that failed must not leave the hourglass behind, whatever
// busy cursors it had set before the error.
void RestoreScreenCursor() {
  while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
}

}  // namespace

QString ErrorBoxText(const std::string& what) {
  QString text = QString::fromStdString(what);
  if (!text.isEmpty() && text.back() > QChar(u'.')) text += u'.';
  return text;
}

void Guarded(Dialogs& dialogs, const std::function<void()>& work) {
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
  dialogs.ShowError(ErrorBoxText(what).toStdString());
}

}  // namespace lenti::ui
