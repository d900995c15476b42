// Runs one LongWork at a time on a worker thread: the window's bar follows
// its progress about 30 times a second, a cancel stops it, and Finish runs
// back on the window's thread. While work runs, Busy() is true and the
// windows keep every command disabled (BusyChanged), so two commands never
// run at once.
#pragma once

#include <exception>
#include <functional>
#include <memory>

#include <QObject>
#include <QTimer>

#include "core/dialogs.h"
#include "core/long_work.h"

class QThread;

namespace lenti::ui {

class BackgroundWork : public QObject {
  Q_OBJECT
 public:
  // `dialogs` show a failure; `bar` is the window's progress bar.
  BackgroundWork(Dialogs& dialogs, ProgressSink& bar);
  ~BackgroundWork() override;  // cancels running work and waits for it
  BackgroundWork(const BackgroundWork&) = delete;
  BackgroundWork& operator=(const BackgroundWork&) = delete;

  bool Busy() const { return work_ != nullptr; }
  // Starts `work` (refused while other work runs); `after` runs once Finish
  // has succeeded. `bar` shows this work's progress instead of the window's
  // bar (the test chart window's own).
  bool Start(std::unique_ptr<LongWork> work, std::function<void()> after = {},
             ProgressSink* bar = nullptr);
  // Asks running work to stop; the state stays as it was before it started.
  void Cancel();
  // Cancels and waits until the worker has stopped (closing the window).
  void CancelAndWait();

 signals:
  void BusyChanged(bool busy);
  // The worker has stopped; the result, the error or the cancel is handled
  // next (BusyChanged(false) follows): a Cancel button goes before any
  // message of the result shows.
  void WorkerDone();

 private:
  void PaintProgress();
  void WorkerStopped();

  Dialogs& dialogs_;
  ProgressSink& window_bar_;
  ProgressSink* bar_;  // of the running work
  QTimer timer_;
  SharedProgress shared_;
  std::unique_ptr<CancelToken> cancel_;
  std::unique_ptr<LongWork> work_;
  std::function<void()> after_;
  QThread* thread_ = nullptr;
  std::exception_ptr error_;
  int start_position_ = 0;
};

}  // namespace lenti::ui
