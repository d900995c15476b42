// Whole-file reads that never block on a FIFO or device, writes that report
// the system's reason and never unlink a device, the atomic replace, and the
// extension of a path.
#include "core/file_io.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/error.h"

#include "temp_dir.h"
#include "error_of.h"

namespace lenti {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

using lenti::testing::TempDir;

using lenti::testing::ErrorOf;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// ---- ReadWholeFile ----

TEST(ReadWholeFile, ReturnsEveryByte) {
  TempDir dir;
  std::string content(70000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  Put(dir.File("a.bin"), content);
  const std::vector<uint8_t> bytes = ReadWholeFile(dir.File("a.bin"));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), content);
  Put(dir.File("empty"), "");
  EXPECT_TRUE(ReadWholeFile(dir.File("empty")).empty());
}

// Each source that is no readable file gives "Cannot open file" with its
// reason, at once (a FIFO without a writer must not block the program).
struct Unreadable {
  const char* name;
  std::function<std::string(TempDir&)> make;
  const char* reason;
};

const Unreadable kUnreadable[] = {
    {"missing", [](TempDir& d) { return d.File("missing.jpg"); }, "No such file or directory"},
    {"directory",
     [](TempDir& d) {
       fs::create_directory(d.File("folder.jpg"));
       return d.File("folder.jpg");
     },
     "Is a directory"},
    {"fifo",
     [](TempDir& d) {
       ::mkfifo(d.File("pipe.jpg").c_str(), 0600);
       return d.File("pipe.jpg");
     },
     "Not a regular file"},
    {"character_device", [](TempDir&) { return std::string("/dev/zero"); }, "Not a regular file"},
    {"empty_name", [](TempDir&) { return std::string(); }, "No such file or directory"},
};

class ReadWholeFileRefuses : public ::testing::TestWithParam<Unreadable> {};

TEST_P(ReadWholeFileRefuses, WithTheReason) {
  TempDir dir;
  const std::string path = GetParam().make(dir);
  EXPECT_EQ(ErrorOf([&] { ReadWholeFile(path); }),
            "Cannot open file \"" + path + "\". " + GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(FileIo, ReadWholeFileRefuses, ::testing::ValuesIn(kUnreadable),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadWholeFile, RefusesAFileBeyondTheLimit) {
  TempDir dir;
  Put(dir.File("big"), std::string(101, 'x'));
  EXPECT_EQ(ReadWholeFile(dir.File("big"), 101).size(), 101u);
  EXPECT_EQ(ErrorOf([&] { ReadWholeFile(dir.File("big"), 100); }),
            "Cannot open file \"" + dir.File("big") + "\". File too large");
}

// ---- WriteWholeFile and FileWriter ----

TEST(WriteWholeFile, CreatesAndReplaces) {
  TempDir dir;
  const std::string path = dir.File("out.bin");
  const std::string first = "a longer first content";
  WriteWholeFile(path, reinterpret_cast<const uint8_t*>(first.data()), first.size());
  EXPECT_EQ(Slurp(path), first);
  const std::string second = "short";
  WriteWholeFile(path, reinterpret_cast<const uint8_t*>(second.data()), second.size());
  EXPECT_EQ(Slurp(path), second);
}

TEST(WriteWholeFile, AFullDeviceGivesTheReasonAndIsNotRemoved) {
  const std::vector<uint8_t> bytes(10, 1);
  EXPECT_EQ(ErrorOf([&] { WriteWholeFile("/dev/full", bytes.data(), bytes.size()); }),
            "Cannot create file \"/dev/full\". No space left on device");
  struct stat st;
  ASSERT_EQ(::stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST(WriteWholeFile, FailuresNameTheFileAndLeaveNoPartialFile) {
  TempDir dir;
  const uint8_t byte = 0;
  const std::string missing = dir.File("no/dir/out.bin");
  EXPECT_EQ(ErrorOf([&] { WriteWholeFile(missing, &byte, 1); }),
            "Cannot create file \"" + missing + "\". No such file or directory");
  // A FIFO nobody reads: refused at once, not waited on.
  ::mkfifo(dir.File("pipe").c_str(), 0600);
  EXPECT_EQ(ErrorOf([&] { WriteWholeFile(dir.File("pipe"), &byte, 1); }),
            "Cannot create file \"" + dir.File("pipe") + "\". No such device or address");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"pipe"});
}

TEST(FileWriter, RemovesThePartialFileUnlessClosed) {
  TempDir dir;
  {
    FileWriter writer(dir.File("partial"), "shown.bmp");
    writer.Write("abc", 3);
  }
  EXPECT_FALSE(fs::exists(dir.File("partial")));
  FileWriter writer(dir.File("whole"));
  writer.Write("abc", 3);
  std::memcpy(writer.Reserve(2), "de", 2);
  std::string big(3 << 20, 'z');  // larger than the buffer
  writer.Write(big.data(), big.size());
  writer.Close();
  EXPECT_EQ(Slurp(dir.File("whole")), "abcde" + big);
}

// ---- AtomicFile ----

TEST(AtomicFile, WritesBesideTheTargetAndReplacesItOnCommit) {
  TempDir dir;
  const std::string target = dir.File("out.bmp");
  Put(target, "old");
  {
    AtomicFile file(target);
    EXPECT_EQ(fs::path(file.TempPath()).parent_path(), fs::path(target).parent_path());
    EXPECT_NE(file.TempPath(), target);
    Put(file.TempPath(), "new");
    EXPECT_EQ(Slurp(target), "old");  // untouched until the commit
    file.Commit();
  }
  EXPECT_EQ(Slurp(target), "new");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.bmp"});
}

TEST(AtomicFile, TheReplacementKeepsThePermissionsOfTheOldFile) {
  TempDir dir;
  const std::string target = dir.File("out.bmp");
  Put(target, "old");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  AtomicFile file(target);
  Put(file.TempPath(), "new");
  file.Commit();
  EXPECT_EQ(fs::status(target).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(AtomicFile, WithoutCommitTheTargetStaysAndTheTemporaryGoes) {
  TempDir dir;
  const std::string target = dir.File("out.bmp");
  Put(target, "old");
  {
    AtomicFile first(target);
    AtomicFile second(target);
    EXPECT_NE(first.TempPath(), second.TempPath());  // two saves never share a temporary file
    Put(first.TempPath(), "new");
  }
  EXPECT_EQ(Slurp(target), "old");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.bmp"});
}

TEST(AtomicFile, RefusesToReplaceWhatIsNotAFile) {
  TempDir dir;
  fs::create_directory(dir.File("folder"));
  EXPECT_EQ(ErrorOf([&] { AtomicFile file(dir.File("folder")); }),
            "Cannot create file \"" + dir.File("folder") + "\". Is a directory");
  EXPECT_EQ(ErrorOf([] { AtomicFile file("/dev/null"); }), "Cannot create file \"/dev/null\". Not a regular file");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"folder"});
}

TEST(AtomicFile, AReadOnlyFolderIsReportedAndKeepsItsFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "running as root: permission bits do not stop writes";
  TempDir dir;
  const std::string sub = dir.File("ro");
  fs::create_directory(sub);
  Put(sub + "/out.bmp", "old");
  fs::permissions(sub, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(ErrorOf([&] { AtomicFile file(sub + "/out.bmp"); }),
            "Cannot create file \"" + sub + "/out.bmp\". Permission denied");
  EXPECT_EQ(Slurp(sub + "/out.bmp"), "old");
}

// ---- ExtensionOf ----

TEST(ExtensionOf, TakesTheLastDotOfTheFileNameOnly) {
  const struct {
    const char* path;
    const char* ext;
  } cases[] = {{"photo.jpg", ".jpg"},       {"/a/b/photo.JPEG", ".JPEG"}, {"archive.tar.bmp", ".bmp"},
               {"noext", ""},               {"", ""},                     {"trailing.", "."},
               {"dir.d/noext", ""},         {"/x.y/z.png", ".png"},       {".hidden", ".hidden"},
               {"/a.b/", ""}};
  for (const auto& c : cases) EXPECT_EQ(ExtensionOf(c.path), c.ext) << c.path;
}

}  // namespace
}  // namespace lenti
