// The recovery copy keeps the work and the project it belongs to; a damaged
// copy is dropped whole, a damaged project name only makes the work untitled.
#include "render/recovery.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/file_io.h"
#include "temp_dir.h"

namespace lenti {
namespace {

using lenti::testing::TempDir;

Job SomeWork() {
  Job job;
  job.frames.push_back(JobFrame{});
  job.frames.back().slot = 1;
  job.frames.back().path = "/photos/a.jpg";
  job.lens.LensLpiX = 400000;
  return job;
}

void WriteText(const std::string& path, const std::string& text) {
  WriteWholeFile(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

TEST(RecoveryCopy, KeepsTheWorkAndItsProject) {
  for (const std::string project : {"", "/home/me/prints/lens40.vexaro", "/tmp/ünï cödé.vexaro"}) {
    SCOPED_TRACE(project);
    TempDir dir;
    const std::string copy = dir / "state/recovery-x.vexaro";
    WriteRecoveryCopy(SomeWork(), "/earlier/project.vexaro", copy);  // an earlier name is replaced
    WriteRecoveryCopy(SomeWork(), project, copy);
    const std::optional<RecoveredWork> work = ReadRecoveryCopy(copy);
    ASSERT_TRUE(work.has_value());
    EXPECT_EQ(work->job.lens.LensLpiX, 400000);
    EXPECT_EQ(work->project, project);
    RemoveRecoveryCopy(copy);
    EXPECT_FALSE(ReadRecoveryCopy(copy).has_value());
    EXPECT_FALSE(std::filesystem::exists(copy + ".project")) << "nothing of the copy stays";
  }
}

TEST(RecoveryCopy, DamageLosesOnlyWhatIsDamaged) {
  TempDir dir;
  const std::string copy = dir / "recovery-y.vexaro";
  WriteRecoveryCopy(SomeWork(), "/p/a.vexaro", copy);
  WriteText(copy + ".project", std::string("/p/a\0b.vexaro", 13));
  const std::optional<RecoveredWork> work = ReadRecoveryCopy(copy);
  ASSERT_TRUE(work.has_value()) << "the work itself is whole";
  EXPECT_EQ(work->project, "");

  WriteText(copy, "{\"format\": \"vexaro-job\", \"vers");
  EXPECT_FALSE(ReadRecoveryCopy(copy).has_value());
  EXPECT_FALSE(std::filesystem::exists(copy)) << "a copy that can never be restored is removed";
  EXPECT_FALSE(std::filesystem::exists(copy + ".project"));
}

}  // namespace
}  // namespace lenti
