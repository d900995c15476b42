#include "ui/web_address.h"

#include <QDesktopServices>
#include <QUrl>

namespace lenti::ui {

void OpenWebAddress() { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kWebAddress))); }

}  // namespace lenti::ui
