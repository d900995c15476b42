// A job the queue accepted and then stopped, cancelled or gave up on is an
// error naming the queue and its reason; a job printing or printed is none.
#include "delivery/queued_job.h"

#include <gtest/gtest.h>

namespace lenti {
namespace {

TEST(QueuedJob, OnlyAJobThatWillNotPrintIsAFault) {
  const struct {
    QueuedJobState state;
    const char* reason;
    bool settled;
    const char* fault;
  } cases[] = {
      {QueuedJobState::Stopped, "Filter failed", true,
       "The printer \"Photo\" stopped the print job: Filter failed. Nothing was printed."},
      {QueuedJobState::Aborted, "", true, "The printer \"Photo\" gave up on the print job. Nothing was printed."},
      {QueuedJobState::Cancelled, "", true, "The printer \"Photo\" cancelled the print job. Nothing was printed."},
      {QueuedJobState::Done, "Filter failed", true, ""},  // an old message of the queue's is no fault
      {QueuedJobState::Printing, "", false, ""},
      {QueuedJobState::Pending, "", false, ""},
      {QueuedJobState::Held, "", false, ""},
      {QueuedJobState::Unknown, "", false, ""},  // the job is not found: nothing known against it
  };
  for (const auto& c : cases) {
    EXPECT_EQ(QueuedJobSettled(c.state), c.settled) << static_cast<int>(c.state);
    EXPECT_EQ(QueuedJobFault(c.state, "Photo", c.reason), c.fault) << static_cast<int>(c.state);
  }
}

}  // namespace
}  // namespace lenti
