// The translation files: every source text has a finished, non-empty
// translation, both files translate the same texts, and they hold every
// text lupdate finds in ui/ (a text wrapped in Texts::tr but never
// translated fails here).
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

struct Messages {
  QSet<QString> sources;
  QStringList faults;  // sources without a finished translation
};

Messages Read(const QString& path) {
  Messages read;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    read.faults << "cannot open " + path;
    return read;
  }
  QXmlStreamReader xml(&file);
  QString source;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == QLatin1String("source")) {
      source = xml.readElementText();
      read.sources.insert(source);
    } else if (xml.name() == QLatin1String("translation")) {
      const bool unfinished =
          xml.attributes().value(QLatin1String("type")).toString() == QLatin1String("unfinished");
      if (unfinished || xml.readElementText().isEmpty()) read.faults << source;
    }
  }
  if (xml.hasError()) read.faults << xml.errorString();
  return read;
}

QStringList Missing(const QSet<QString>& wanted, const QSet<QString>& have) {
  QStringList missing = (wanted - have).values();
  missing.sort();
  return missing;
}

const QStringList kFiles = {QStringLiteral("vexaro_en.ts"), QStringLiteral("vexaro_zh_CN.ts")};

}  // namespace

class TranslationsTest : public QObject {
  Q_OBJECT

 private slots:
  void EveryTextHasAFinishedTranslation_data() {
    QTest::addColumn<QString>("file");
    for (const QString& file : kFiles) QTest::newRow(qPrintable(file)) << file;
  }
  void EveryTextHasAFinishedTranslation() {
    QFETCH(QString, file);
    const Messages messages = Read(QStringLiteral(LENTI_TS_DIR "/") + file);
    QVERIFY(!messages.sources.isEmpty());
    QVERIFY2(messages.faults.isEmpty(), qPrintable(messages.faults.join(" | ")));
  }

  void BothFilesTranslateTheSameTexts() {
    const Messages english = Read(QStringLiteral(LENTI_TS_DIR "/vexaro_en.ts"));
    const Messages chinese = Read(QStringLiteral(LENTI_TS_DIR "/vexaro_zh_CN.ts"));
    QVERIFY2(Missing(english.sources, chinese.sources).isEmpty(),
             "texts only the English file has");
    QVERIFY2(Missing(chinese.sources, english.sources).isEmpty(),
             "texts only the Chinese file has");
  }

  void TheFilesHoldEveryTextOfTheWindows() {
    QTemporaryDir out;
    const QString found = out.filePath(QStringLiteral("found.ts"));
    QProcess lupdate;
    lupdate.setWorkingDirectory(QStringLiteral(LENTI_SOURCE_DIR));
    lupdate.start(QStringLiteral(LENTI_LUPDATE),
                  {"-silent", "-no-obsolete", "-locations", "none", "-I", ".", "ui", "-ts", found});
    QVERIFY(lupdate.waitForFinished(120000));
    QCOMPARE(lupdate.exitCode(), 0);
    const Messages windows = Read(found);
    QVERIFY(windows.sources.size() > 100);
    for (const QString& file : kFiles) {
      const QStringList missing =
          Missing(windows.sources, Read(QStringLiteral(LENTI_TS_DIR "/") + file).sources);
      QVERIFY2(missing.isEmpty(), qPrintable(file + ": " + missing.join(" | ")));
    }
  }
};

QTEST_MAIN(TranslationsTest)
#include "translations_test.moc"
