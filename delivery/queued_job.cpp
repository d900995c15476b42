#include "delivery/queued_job.h"

#include "core/error.h"

namespace lenti {

bool QueuedJobSettled(QueuedJobState state) {
  switch (state) {
    case QueuedJobState::Stopped:
    case QueuedJobState::Cancelled:
    case QueuedJobState::Aborted:
    case QueuedJobState::Done:
      return true;
    default:
      return false;
  }
}

std::string QueuedJobFault(QueuedJobState state, const std::string& queue, const std::string& reason) {
  const char* what = nullptr;
  switch (state) {
    case QueuedJobState::Stopped:
      what = "stopped";
      break;
    case QueuedJobState::Aborted:
      what = "gave up on";
      break;
    case QueuedJobState::Cancelled:
      what = "cancelled";
      break;
    default:
      return "";
  }
  std::string text = Format("The printer \"%s\" %s the print job", queue.c_str(), what);
  if (!reason.empty()) text += ": " + reason;
  return text + ". Nothing was printed.";
}

}  // namespace lenti
