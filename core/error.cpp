#include "core/error.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace lenti {

std::string Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, fmt, args);
  va_end(args);
  return text;
}

std::string SystemReason(int errnum) { return std::strerror(errnum); }

Error CannotOpenFile(const std::string& path, const std::string& reason) {
  return Error("Cannot open file \"" + path + "\". " + reason);
}

Error CannotCreateFile(const std::string& path, const std::string& reason) {
  return Error("Cannot create file \"" + path + "\". " + reason);
}

Error ScanLineOutOfRange() { return Error("Scan line index out of range"); }

Error UnknownPictureExtension(const std::string& ext) {
  return Error("Unknown picture file extension (." + ext + ")");
}

Error CanOnlyModifyBitmap() { return Error("Can only modify an image if it contains a bitmap"); }
Error InvalidFloatOperation() { return Error("Invalid floating point operation"); }
Error FloatDivisionByZero() { return Error("Floating point division by zero"); }
Error InvalidInteger(const std::string& text) {
  return Error("'" + text + "' is not a valid integer value");
}
Error InvalidFloat(const std::string& text) {
  return Error("'" + text + "' is not a valid floating point value");
}
Error OutOfMemory() { return Error("Out of memory"); }

}  // namespace lenti
