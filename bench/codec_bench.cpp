// Codec speed next to the floor the system gives: a BMP save and load of a
// merged-size picture (1940 x 2342, 24-bit) beside one fwrite / fread of the
// same bytes, and a 12-megapixel JPEG decode beside the djpeg tool on the
// same file (a separate process, timed by hand, output to /dev/null).
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/bmp_reader.h"
#include "core/bmp_writer.h"
#include "core/file_io.h"
#include "core/jpeg.h"
#include "core/raster.h"

extern char** environ;

namespace lenti {
namespace {

namespace fs = std::filesystem;

// A private folder for the benchmark files, removed when the program ends.
class BenchDir {
 public:
  BenchDir() {
    std::string pattern = (fs::temp_directory_path() / "lenti-codec-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~BenchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

std::string BenchFile(const std::string& name) {
  static const BenchDir dir;
  return dir.Path() + "/" + name;
}

// A photo-like picture: smooth gradients, a little noise, some sharp edges.
Raster Textured(int width, int height) {
  Raster r(width, height, PixelFormat::pf24bit);
  uint32_t noise = 12345;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = r.Row(y);
    for (int x = 0; x < width; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const int grain = static_cast<int>(noise >> 28) - 8;
      const bool edge = ((x / 97) + (y / 61)) % 5 == 0;
      row[3 * x] = static_cast<uint8_t>(((x * 200) / width + grain) & 0xFF);
      row[3 * x + 1] = static_cast<uint8_t>(((y * 180) / height + 30 + grain) & 0xFF);
      row[3 * x + 2] = static_cast<uint8_t>((edge ? 230 : 60 + ((x + y) & 63)) + grain / 2);
    }
  }
  return r;
}

const Raster& MergedPicture() {
  static const Raster picture = Textured(1940, 2342);
  return picture;
}

// ---- BMP ----

void BM_BmpSave(benchmark::State& state) {
  const Raster& picture = MergedPicture();
  const std::string path = BenchFile("save.bmp");
  for (auto _ : state) SaveBmpFile(picture, path);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_BmpSave)->Unit(benchmark::kMillisecond);

void BM_FwriteSameBytes(benchmark::State& state) {
  const std::vector<uint8_t> bytes = EncodeBmp(MergedPicture());
  const std::string path = BenchFile("fwrite.bmp");
  for (auto _ : state) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) state.SkipWithError("fwrite");
    if (f != nullptr) std::fclose(f);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_FwriteSameBytes)->Unit(benchmark::kMillisecond);

void BM_BmpLoad(benchmark::State& state) {
  const std::string path = BenchFile("load.bmp");
  SaveBmpFile(MergedPicture(), path);
  for (auto _ : state) {
    Raster r = LoadBmpFile(path);
    benchmark::DoNotOptimize(r.Bits());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_BmpLoad)->Unit(benchmark::kMillisecond);

void BM_FreadSameBytes(benchmark::State& state) {
  const std::string path = BenchFile("fread.bmp");
  SaveBmpFile(MergedPicture(), path);
  const size_t size = static_cast<size_t>(fs::file_size(path));
  for (auto _ : state) {
    // A fresh buffer each time, as a load needs one.
    std::vector<uint8_t> bytes(size);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr || std::fread(bytes.data(), 1, size, f) != size) state.SkipWithError("fread");
    if (f != nullptr) std::fclose(f);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}
BENCHMARK(BM_FreadSameBytes)->Unit(benchmark::kMillisecond);

// ---- JPEG ----

// 4000 x 3000, quality 90, written once.
const std::string& TwelveMegapixelJpeg() {
  static const std::string path = [] {
    const std::vector<uint8_t> bytes = EncodeJpeg(Textured(4000, 3000), 90);
    const std::string p = BenchFile("photo12mp.jpg");
    WriteWholeFile(p, bytes.data(), bytes.size());
    return p;
  }();
  return path;
}

void BM_JpegLoad12Mp(benchmark::State& state) {
  const std::string& path = TwelveMegapixelJpeg();
  for (auto _ : state) {
    Raster r = LoadJpegFile(path);
    benchmark::DoNotOptimize(r.Bits());
  }
}
BENCHMARK(BM_JpegLoad12Mp)->Unit(benchmark::kMillisecond);

void BM_JpegRegionQuarter12Mp(benchmark::State& state) {
  const std::vector<uint8_t> bytes = ReadWholeFile(TwelveMegapixelJpeg());
  for (auto _ : state) {
    Raster r = DecodeJpegRegion(bytes.data(), bytes.size(), "photo", Rect{1000, 750, 3000, 2250});
    benchmark::DoNotOptimize(r.Bits());
  }
}
BENCHMARK(BM_JpegRegionQuarter12Mp)->Unit(benchmark::kMillisecond);

// The djpeg tool on the same file: the whole process, start to exit.
void BM_DjpegProcess12Mp(benchmark::State& state) {
  const std::string& path = TwelveMegapixelJpeg();
  std::string program = "djpeg", out_flag = "-outfile", out = "/dev/null", in = path;
  char* argv[] = {program.data(), out_flag.data(), out.data(), in.data(), nullptr};
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = 0;
    if (::posix_spawnp(&pid, "djpeg", nullptr, nullptr, argv, environ) != 0 || ::waitpid(pid, &status, 0) != pid ||
        !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("djpeg did not run (libjpeg-turbo-progs installed?)");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}
BENCHMARK(BM_DjpegProcess12Mp)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lenti

BENCHMARK_MAIN();
