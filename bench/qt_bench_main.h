// The main() of a benchmark that needs a QApplication: offscreen unless a
// platform is set, the windows released (`release`) while the application
// still exists.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

#include <functional>

inline int RunQtBenchmarks(int argc, char** argv, const std::function<void()>& release) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  release();
  return 0;
}
