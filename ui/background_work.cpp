#include "ui/background_work.h"

#include <QApplication>
#include <QThread>

#include "ui/guard.h"

namespace lenti::ui {

BackgroundWork::BackgroundWork(Dialogs& dialogs, ProgressSink& bar)
    : dialogs_(dialogs), window_bar_(bar), bar_(&bar) {
  timer_.setInterval(33);
  connect(&timer_, &QTimer::timeout, this, &BackgroundWork::PaintProgress);
}

BackgroundWork::~BackgroundWork() { CancelAndWait(); }

bool BackgroundWork::Start(std::unique_ptr<LongWork> work, std::function<void()> after,
                           ProgressSink* bar) {
  if (Busy() || work == nullptr) return false;
  bar_ = bar != nullptr ? bar : &window_bar_;
  work_ = std::move(work);
  after_ = std::move(after);
  cancel_ = std::make_unique<CancelToken>();
  error_ = nullptr;
  start_position_ = bar_->Progress();
  // The work's own steps go from where the bar stands.
  shared_.Reset(start_position_);
  LongWork* job = work_.get();
  CancelToken* cancel = cancel_.get();
  thread_ = QThread::create([this, job, cancel] {
    try {
      job->Run(shared_, *cancel);
    } catch (...) {
      error_ = std::current_exception();
    }
  });
  // Emitted on the worker, delivered on this thread.
  connect(thread_, &QThread::finished, this, &BackgroundWork::WorkerStopped);
  QApplication::setOverrideCursor(Qt::BusyCursor);
  emit BusyChanged(true);
  thread_->start();
  timer_.start();
  return true;
}

void BackgroundWork::Cancel() {
  if (cancel_) cancel_->Request();
}

void BackgroundWork::CancelAndWait() {
  if (thread_ == nullptr) return;
  Cancel();
  thread_->wait();
  WorkerStopped();
}

void BackgroundWork::PaintProgress() {
  if (shared_.RangeSet()) bar_->SetProgressRange(shared_.Minimum(), shared_.Maximum());
  bar_->SetProgress(shared_.Progress());
}

void BackgroundWork::WorkerStopped() {
  if (thread_ == nullptr) return;  // already handled by CancelAndWait
  timer_.stop();
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  QApplication::restoreOverrideCursor();

  // A cancel asked before the result is adopted wins, even when the work
  // got to its end first: the person asked for the state as it was.
  const bool cancelled = cancel_->Requested();
  emit WorkerDone();
  std::unique_ptr<LongWork> work = std::move(work_);
  std::function<void()> after = std::move(after_);
  if (cancelled) {
    bar_->SetProgress(start_position_);
    work->Cancelled();
  } else if (error_) {
    PaintProgress();  // a failed merge shows where it stopped
    const std::exception_ptr error = error_;
    Guarded(dialogs_, [&] { std::rethrow_exception(error); });
  } else {
    PaintProgress();
    Guarded(dialogs_, [&] {
      work->Finish(*bar_);
      if (after) after();
    });
  }
  error_ = nullptr;
  emit BusyChanged(false);
}

}  // namespace lenti::ui
