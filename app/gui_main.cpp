// vexaro-photo-maker: the desktop program. The main window is made first (it
// creates the working folder and the hidden test chart window), then the
// splash shows for two seconds or until clicked, then the main window runs
// until it is closed.
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include <QApplication>
#include <QLocale>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>

#include "core/work_dir.h"
#include "core/work_dir_lock.h"
#include "ui/guard.h"
#include "ui/language.h"
#include "ui/main_window.h"
#include "ui/about_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // One language for the whole run, before any window is made; the C locale
  // (no language chosen) keeps the texts as they are written.
  if (QLocale::system().language() != QLocale::C) {
    lenti::ui::InstallTranslations(app, lenti::ui::LanguageFor(QLocale::system().uiLanguages()));
  }
  // Message and error boxes carry an empty title, and no program name is
  // added to window titles.
  QGuiApplication::setApplicationDisplayName(QString(""));
  // The program ends when the main window closes, even with a test chart
  // or about window still open.
  app.setQuitOnLastWindowClosed(false);

  // A second running copy gets its own working folder (lentmp2, ...), so
  // the two never overwrite each other's working files. The lock is held
  // until the program ends; a run that cannot claim a numbered folder works
  // in a new one of its own.
  std::optional<lenti::WorkDirLock> work_dir;
  std::string dir;
  try {
    work_dir = lenti::ClaimWorkDir(lenti::DefaultWorkParent());
    dir = work_dir->Dir();
  } catch (const std::exception& e) {
    // The error box, then the window all the same: the person sees what is
    // wrong, and the commands that need the folder report it when used.
    // The window checks the first folder itself and shows why it cannot be
    // made; a failure it would not meet is shown here.
    dir = lenti::DefaultWorkDir();
    bool window_reports_it = false;
    try {
      lenti::EnsureWorkDir(dir);
    } catch (const std::exception&) {
      window_reports_it = true;
    }
    // No window yet to own the box: the one error box, on its own.
    if (!window_reports_it) QMessageBox::critical(nullptr, QString(), lenti::ui::ErrorBoxText(e.what()));
  }

  lenti::ui::MainWindow form(dir);
  // The Lens group's settings are remembered between runs.
  form.RememberLensSettings(std::make_unique<QSettings>(QStringLiteral("Vexaro"), QStringLiteral("Photo Maker")));
  form.RememberProjects(std::make_unique<QSettings>(QStringLiteral("Vexaro"), QStringLiteral("Photo Maker")));
  // After every change a recovery copy; after a crash the next start offers it.
  form.EnableRecovery();
  QObject::connect(&form, &lenti::ui::MainWindow::Closed, &app, &QCoreApplication::quit);
  {
    lenti::ui::AboutWindow splash(lenti::ui::AboutMode::Splash);
    lenti::ui::RunSplash(splash);
  }
  form.show();
  QTimer::singleShot(0, &form, [&form] { form.OfferRecovery(); });
  // `vexaro-photo-maker PROJECT.vexaro` opens the project.
  if (argc > 1) {
    const std::string project = argv[1];
    QTimer::singleShot(0, &form, [&form, project] { form.OnOpenProject(project); });
  }
  return app.exec();
}
