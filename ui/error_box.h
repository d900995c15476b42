// The error box of Guarded() can be replaced, so that Qt Tests of windows
// see the text instead of blocking on a modal box.
#pragma once

#include <functional>

#include <QString>

class QWidget;

namespace lenti::ui {

using ErrorBoxHook = std::function<void(QWidget* owner, const QString& text)>;

// Installs `hook` in place of the modal box (an empty hook brings the box
// back) and returns the previous hook.
ErrorBoxHook SetErrorBoxHook(ErrorBoxHook hook);

}  // namespace lenti::ui
