#pragma once
// Names for screen readers. A button is named by its text (without the
// "&" of its shortcut), an edit or a list by its tooltip, the edit inside
// a list by the list's name; a control already named keeps its name, so
// the controls that show only a picture are named where they are made.

class QWidget;

namespace lenti::ui {

// Names every button, edit and list of `window` that has no name yet.
void NameControlsForAccessibility(QWidget& window);

}  // namespace lenti::ui
