// The project file reader on arbitrary bytes: a clean Error or a job, and a
// job it reads writes and reads back unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/error.h"
#include "job/job_file.h"

namespace {
// Relative photo paths resolve against a folder that does not exist.
constexpr const char* kProject = "/nonexistent-vexaro-fuzz/job.vexaro";
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lenti::Job job;
  try {
    job = lenti::JobFromJson(std::string_view(reinterpret_cast<const char*>(data), size), kProject);
  } catch (const lenti::Error&) {
    return 0;
  }
  try {
    if (!(lenti::JobFromJson(lenti::JobToJson(job, kProject), kProject) == job)) __builtin_trap();
  } catch (const lenti::Error&) {
    __builtin_trap();  // a job that was read must read again once written
  }
  return 0;
}
