// The text of the lenti::Error an action raises, or "<no error>".
#pragma once

#include <functional>
#include <string>

#include "core/error.h"

namespace lenti::testing {

inline std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "<no error>";
}

}  // namespace lenti::testing
