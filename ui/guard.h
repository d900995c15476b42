// The one default error handler: every Qt slot runs its work through
// Guarded(), which shows any failure's text in the dialogs' error box (an
// empty title), adding "." when the last character sorts after ".".
#pragma once

#include <functional>
#include <string>

#include <QString>

#include "core/dialogs.h"

namespace lenti::ui {

// The text the box shows for an error text (the full-stop rule).
QString ErrorBoxText(const std::string& what);

// Runs `work`; a std::exception (std::bad_alloc as "Out of memory") is shown
// through `dialogs`, the hourglass is taken back, and the program goes on.
void Guarded(Dialogs& dialogs, const std::function<void()>& work);

}  // namespace lenti::ui
