// vexaro: the command line. Everything it does lives in lenti_cli.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "app/cli_run.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return lenti::cli::RunCli(args, std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
}
