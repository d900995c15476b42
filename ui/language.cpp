#include "ui/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace lenti::ui {

Language LanguageFor(const QStringList& ui_languages) {
  if (!ui_languages.isEmpty() &&
      ui_languages.front().startsWith(QLatin1String("zh"), Qt::CaseInsensitive))
    return Language::Chinese;
  return Language::English;
}

QString TranslationFile(Language language) {
  return language == Language::Chinese ? QStringLiteral(":/translations/vexaro_zh_CN.qm")
                                       : QStringLiteral(":/translations/vexaro_en.qm");
}

bool InstallTranslations(QCoreApplication& app, Language language) {
  if (language == Language::Chinese) {
    auto* qt = new QTranslator(&app);
    if (qt->load(QStringLiteral("qtbase_zh_CN"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
      QCoreApplication::installTranslator(qt);
  }
  auto* own = new QTranslator(&app);
  if (!own->load(TranslationFile(language))) return false;
  return QCoreApplication::installTranslator(own);
}

}  // namespace lenti::ui
