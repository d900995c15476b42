#include "app/cli_run.h"

#include <exception>
#include <new>

#include "app/cli_align.h"
#include "app/cli_args.h"
#include "app/cli_chart.h"
#include "app/cli_merge.h"
#include "app/cli_progress.h"
#include "app/cli_view.h"

namespace lenti::cli {

namespace {

std::string RunCommand(const Command& command, std::ostream& err, bool show_progress) {
  if (command.kind == Command::Kind::Chart) {
    std::string text = RunChart(command.chart);
    for (const std::string& row : ChartRowLines(command.chart)) text += "\n" + row;
    return text;
  }
  if (command.kind == Command::Kind::View) return RunView(command.view);
  err << FrameFitWarning(JobOfArgs(command.merge));
  ProgressBar bar(err, show_progress);
  std::vector<std::string> notes;
  std::string line = RunMerge(command.merge, [&bar](int done, int total) { bar.Update(done, total); }, &notes);
  for (const std::string& note : notes) err << "vexaro: " << note << "\n";
  return line;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool show_progress) {
  const ParseResult parsed = ParseArguments(args);
  if (!parsed.command) {
    // The usage of the command that was named, not of all three.
    err << "vexaro: " << parsed.error << "\n" << UsageText(parsed.topic);
    return kExitUsage;
  }
  if (parsed.command->kind == Command::Kind::Help) {
    out << UsageText(parsed.command->topic);
    return kExitOk;
  }
  if (parsed.command->kind == Command::Kind::Version) {
    out << VersionText();
    return kExitOk;
  }
  try {
    if (parsed.command->kind == Command::Kind::Align) {
      return RunAlign(parsed.command->align, out, err) ? kExitOk : kExitFailure;
    }
    if (parsed.command->kind == Command::Kind::Run) {
      ProgressBar bar(err, show_progress);
      const auto progress = [&bar](int done, int total) { bar.Update(done, total); };
      return RunJobs(parsed.command->run, out, err, progress) ? kExitOk : kExitFailure;
    }
    out << RunCommand(*parsed.command, err, show_progress) << "\n";
    return kExitOk;
  } catch (const std::bad_alloc&) {
    err << "vexaro: Out of memory\n";
  } catch (const std::exception& e) {
    err << "vexaro: " << e.what() << "\n";
  }
  return kExitFailure;
}

}  // namespace lenti::cli
