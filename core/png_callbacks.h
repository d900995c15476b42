#pragma once

#include <png.h>

#include <cstring>

namespace lenti {

// libpng's error callback must not return: it keeps libpng's text in the
// caller's context (any struct with a `char message[N]`) and jumps back to the
// setjmp of the call that failed. Warnings are dropped.
template <typename Context>
[[noreturn]] void KeepPngErrorAndJump(png_structp png, png_const_charp text) {
  auto* context = static_cast<Context*>(png_get_error_ptr(png));
  std::strncpy(context->message, text, sizeof context->message - 1);
  png_longjmp(png, 1);
}

inline void IgnorePngWarning(png_structp, png_const_charp) {}

}  // namespace lenti
