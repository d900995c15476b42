// The one error type of the program and the texts the user reads.
//
// Every failure below the user interface is a `lenti::Error` whose what() is
// the exact text shown in the error box (and printed by the command line).
#pragma once

#include <stdexcept>
#include <string>

namespace lenti {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& text) : std::runtime_error(text) {}
};

// "Cannot open file \"<path>\". <reason>"
Error CannotOpenFile(const std::string& path, const std::string& reason);
// "Cannot create file \"<path>\". <reason>"
Error CannotCreateFile(const std::string& path, const std::string& reason);
// The text of errno as the system gives it ("No such file or directory").
std::string SystemReason(int errnum);

Error ScanLineOutOfRange();                          // "Scan line index out of range"
Error UnknownPictureExtension(const std::string& ext);  // "Unknown picture file extension (.%s)"
Error CanOnlyModifyBitmap();  // "Can only modify an image if it contains a bitmap"
Error InvalidFloatOperation();  // "Invalid floating point operation"
Error FloatDivisionByZero();    // "Floating point division by zero"
Error InvalidInteger(const std::string& text);  // "'%s' is not a valid integer value"
Error InvalidFloat(const std::string& text);    // "'%s' is not a valid floating point value"
Error OutOfMemory();                            // "Out of memory"

// Printf-style formatting of the texts above, for the rest of the program.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace lenti
