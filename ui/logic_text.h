#pragma once
// The messages of the toolkit-free logic (std::string, UTF-8) as the
// window shows them: translated in the context "lenti" when the translation
// has the whole text. An error box's text with its added full stop, and a
// fixed sentence followed by " (details)", translate their fixed part and
// keep the rest; any other text (numbers or names in it) shows as it is.

#include <string>

#include <QString>

namespace lenti::ui {

QString LogicText(const std::string& text);

}  // namespace lenti::ui
