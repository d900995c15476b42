// The command line as a function: arguments in, exit status out, messages
// on the given streams. 0 success (one summary line on `out`), 1 failure
// ("vexaro: <text>" on `err`), 2 usage error (the error and the usage).
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace lenti::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// `args` are argv[1..]; `show_progress` draws a bar on `err`.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool show_progress);

}  // namespace lenti::cli
