// A locale whose decimal separator is a comma (as de_DE's is), made by
// localedef into a temporary folder and put in force for LC_NUMERIC for the
// object's lifetime; the earlier LC_NUMERIC and LOCPATH come back after.
#pragma once

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "temp_dir.h"

namespace lenti::testing {

class CommaLocale {
 public:
  CommaLocale() : dir_("lenti-locale") {
    if (std::system("command -v localedef >/dev/null 2>&1") != 0) return;
    available_ = true;
    std::ofstream(dir_ / "comma.def") << "LC_NUMERIC\n"
                                         "decimal_point \",\"\n"
                                         "thousands_sep \".\"\n"
                                         "grouping 3;3\n"
                                         "END LC_NUMERIC\n";
    // Only LC_NUMERIC is defined: -c writes the locale despite the warnings
    // about the other categories.
    const std::string command = "localedef -c -f UTF-8 -i '" + dir_.File("comma.def") + "' '" +
                                dir_.File("comma.UTF-8") + "' >/dev/null 2>&1";
    (void)std::system(command.c_str());
    if (const char* path = std::getenv("LOCPATH")) old_locpath_ = path;
    old_numeric_ = std::setlocale(LC_NUMERIC, nullptr);
    setenv("LOCPATH", dir_.path().c_str(), 1);
    active_ = std::setlocale(LC_NUMERIC, "comma.UTF-8") != nullptr;
  }
  ~CommaLocale() {
    std::setlocale(LC_NUMERIC, old_numeric_.c_str());
    if (old_locpath_) {
      setenv("LOCPATH", old_locpath_->c_str(), 1);
    } else {
      unsetenv("LOCPATH");
    }
  }
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;

  // localedef is installed (the test may only be skipped when it is not).
  bool available() const { return available_; }
  // The comma locale is in force.
  bool active() const { return active_; }

 private:
  TempDir dir_;
  bool available_ = false;
  bool active_ = false;
  std::string old_numeric_ = "C";
  std::optional<std::string> old_locpath_;
};

}  // namespace lenti::testing
