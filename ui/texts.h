#pragma once
// The texts the window shows pass through Qt's translation in the one
// context "lenti": Texts::tr("&Merge") is "&Merge" with no translator
// loaded, and its translation once one is (ui/language.h).

#include <QCoreApplication>
#include <QString>

namespace lenti::ui {

struct Texts {
  Q_DECLARE_TR_FUNCTIONS(lenti)
};

}  // namespace lenti::ui
