// One run of the command line in the test's process: its exit status and
// what it wrote to each stream.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "app/cli_run.h"

namespace lenti::testing {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline CliResult RunCliCapture(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  CliResult result;
  result.status = lenti::cli::RunCli(args, out, err, false);
  result.out = out.str();
  result.err = err.str();
  return result;
}

}  // namespace lenti::testing
