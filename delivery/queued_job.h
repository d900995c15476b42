// What became of a print job once the printer's queue accepted it: a queue
// may take a job and then stop it (a filter missing, the printer gone), and
// the person must hear of it rather than wait for a page that never comes.
#pragma once

#include <string>

namespace lenti {

enum class QueuedJobState { Unknown, Pending, Held, Printing, Stopped, Cancelled, Aborted, Done };

// Whether the state is one the job will not leave by itself.
bool QueuedJobSettled(QueuedJobState state);

// "" while the job prints or has printed; else the error text naming the
// queue and, when known, the reason it gave.
std::string QueuedJobFault(QueuedJobState state, const std::string& queue, const std::string& reason);

}  // namespace lenti
