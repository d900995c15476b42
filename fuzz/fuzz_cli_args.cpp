// The command line's argument parser on arbitrary argument lists (NUL-separated).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/cli_args.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back().push_back(static_cast<char>(data[i]));
    }
  }
  const lenti::cli::ParseResult result = lenti::cli::ParseArguments(args);
  // Exactly one of the two outcomes.
  if (result.command.has_value() == !result.error.empty()) __builtin_trap();
  return 0;
}
