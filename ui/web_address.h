// The program's one web address, opened from the about window's hot spot
// and the main window's hidden link label.
#pragma once

namespace lenti::ui {

inline constexpr char kWebAddress[] = "https://example.com/vexaro";

// Asks the desktop to open kWebAddress in the person's browser. Tests catch
// the request with QDesktopServices::setUrlHandler("https", ...).
void OpenWebAddress();

}  // namespace lenti::ui
