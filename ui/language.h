#pragma once
// One language per run: the system's first interface language picks
// Chinese (any "zh" one) or English (everything else), and the program's
// texts and Qt's own dialogs show in it. The program's translations are
// built in (":/translations"); Qt's come from its translations folder and
// are loaded for Chinese only, so that English dialogs stay Qt's own texts.

#include <QString>
#include <QStringList>

class QCoreApplication;

namespace lenti::ui {

enum class Language { English, Chinese };

// The language for the system's interface languages, best first
// (QLocale::system().uiLanguages()).
Language LanguageFor(const QStringList& ui_languages);

// The program's translation file for `language`, inside the resources.
QString TranslationFile(Language language);

// Installs the program's translation for `language` and, for Chinese,
// Qt's own; the translators belong to `app`. False when the program's own
// could not be loaded (the texts then stay as written).
bool InstallTranslations(QCoreApplication& app, Language language);

}  // namespace lenti::ui
