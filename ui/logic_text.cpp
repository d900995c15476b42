#include "ui/logic_text.h"

#include <QCoreApplication>

namespace lenti::ui {
namespace {

constexpr const char* kContext = "lenti";

// The translation of `text`, or nothing when the translation lacks it.
bool Translate(const QString& text, QString& translated) {
  const QByteArray utf8 = text.toUtf8();
  translated = QCoreApplication::translate(kContext, utf8.constData());
  return translated != text;
}

}  // namespace

QString LogicText(const std::string& text) {
  const QString whole = QString::fromStdString(text);
  QString translated;
  if (whole.isEmpty() || Translate(whole, translated)) return whole.isEmpty() ? whole : translated;
  // "Out of memory." from ErrorBoxText: the sentence, then the full stop
  // in the language's own form.
  if (whole.endsWith(QLatin1Char('.')) && Translate(whole.chopped(1), translated))
    return translated + QCoreApplication::translate(kContext, ".");
  // "打印机DPI设置不对! (printer 600 dpi, chart 1200 dpi)": the sentence
  // translates, the details stay.
  const qsizetype details = whole.indexOf(QLatin1String(" ("));
  if (details > 0 && whole.endsWith(QLatin1Char(')')) && Translate(whole.left(details), translated))
    return translated + whole.mid(details);
  return whole;
}

}  // namespace lenti::ui
