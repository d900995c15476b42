// vexaro-photo-maker: the desktop program. The main window is made first (it
// creates the working folder and the hidden test chart window), then the
// splash shows for two seconds or until clicked, then the main window runs
// until it is closed.
#include <QApplication>

#include "core/work_dir.h"
#include "ui/guard.h"
#include "ui/liti2.h"
#include "ui/unit5.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Message and error boxes carry an empty title, and no program name is
  // added to window titles.
  QGuiApplication::setApplicationDisplayName(QString(""));
  // The program ends when the main window closes, even with a test chart
  // or about window still open.
  app.setQuitOnLastWindowClosed(false);

  std::string work_dir;
  lenti::ui::Guarded(nullptr, [&] { work_dir = lenti::DefaultWorkDir(); });
  if (work_dir.empty()) return 1;

  lenti::ui::TForm1 form(work_dir);
  QObject::connect(&form, &lenti::ui::TForm1::Closed, &app, &QCoreApplication::quit);
  {
    lenti::ui::TAbout splash(lenti::ui::AboutMode::Splash);
    lenti::ui::RunSplash(splash);
  }
  form.show();
  return app.exec();
}
