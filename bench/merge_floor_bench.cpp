// The floor under `vexaro merge`: what a plain program needs to decode 16
// JPEG frames of 1698 x 2049 with libjpeg-turbo, gather their rows into a
// 1940 x 2342 output and write it as a BMP; on one thread and on two.
// BM_VexaroMerge runs the real command line on the same 16 files, so the
// ratio comes from one run.
//
//   bench_merge_floor_bench --write-photos DIR W H COUNT   writes test photos
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <jpeglib.h>

#include "core/file_io.h"
#include "synthetic_photos.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFrames = 16;
constexpr int kPhotoWidth = 1698, kPhotoHeight = 2049;
constexpr int kOutWidth = 1940, kOutHeight = 2342;

struct Photos {
  std::string dir;
  std::vector<std::string> paths;
  std::vector<std::vector<uint8_t>> jpegs;
};

int WritePhotos(const std::string& dir, int width, int height, int count) {
  for (int i = 0; i < count; ++i) {
    const std::vector<uint8_t> jpeg = lenti::synthetic::ScenePhotoJpeg(width, height, i, count, 90);
    const std::string path = dir + "/photo" + std::to_string(i + 1) + ".jpg";
    lenti::WriteWholeFile(path, jpeg.data(), jpeg.size());
  }
  return 0;
}

bool g_photos_made = false;

const Photos& TestPhotos() {
  static const Photos photos = [] {
    g_photos_made = true;
    Photos p;
    std::string pattern = (fs::temp_directory_path() / "lenti-floor-XXXXXX").string();
    p.dir = mkdtemp(pattern.data());
    WritePhotos(p.dir, kPhotoWidth, kPhotoHeight, kFrames);
    for (int i = 1; i <= kFrames; ++i) {
      p.paths.push_back(p.dir + "/photo" + std::to_string(i) + ".jpg");
      p.jpegs.push_back(lenti::ReadWholeFile(p.paths.back()));
    }
    return p;
  }();
  return photos;
}

struct JumpError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void OnJpegError(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JumpError*>(cinfo->err)->jump, 1); }

// Plain libjpeg-turbo: the whole photo as BGR rows.
bool DecodePlain(const std::vector<uint8_t>& jpeg, std::vector<uint8_t>& pixels) {
  jpeg_decompress_struct cinfo;
  JumpError error;
  cinfo.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = OnJpegError;
  if (setjmp(error.jump) != 0) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, jpeg.data(), jpeg.size());
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&cinfo);
  const size_t stride = size_t{cinfo.output_width} * 3;
  pixels.resize(stride * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = pixels.data() + stride * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

void WriteBmp(const std::string& path, const std::vector<uint8_t>& rows, int width, int height) {
  const uint32_t stride = (width * 3 + 3) & ~3u;
  uint8_t header[54] = {'B', 'M'};
  const auto put = [&](int at, uint32_t v) { std::memcpy(header + at, &v, 4); };
  put(2, 54 + stride * height);
  put(10, 54);
  put(14, 40);
  put(18, width);
  put(22, height);
  header[26] = 1;
  header[28] = 24;
  put(34, stride * height);
  FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(header, 1, sizeof header, file);
  for (int y = height - 1; y >= 0; --y) std::fwrite(rows.data() + size_t(y) * stride, 1, stride, file);
  std::fclose(file);
}

void BM_Floor(benchmark::State& state) {
  const Photos& photos = TestPhotos();
  const int threads = static_cast<int>(state.range(0));
  const size_t out_stride = (kOutWidth * 3 + 3) & ~size_t{3};
  const std::string out_path = photos.dir + "/floor.bmp";
  for (auto _ : state) {
    std::vector<std::vector<uint8_t>> frames(kFrames);
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
      pool.emplace_back([&, t] {
        for (int i = t; i < kFrames; i += threads) DecodePlain(photos.jpegs[i], frames[i]);
      });
    }
    for (std::thread& thread : pool) thread.join();
    // Output row y from frame y mod 16, its row scaled to the frame's height.
    std::vector<uint8_t> out(out_stride * kOutHeight, 255);
    for (int y = 0; y < kOutHeight; ++y) {
      const int source_row = static_cast<int>(int64_t{y} * kPhotoHeight / kOutHeight);
      std::memcpy(out.data() + out_stride * y,
                  frames[y % kFrames].data() + size_t(source_row) * kPhotoWidth * 3, kPhotoWidth * 3);
    }
    WriteBmp(out_path, out, kOutWidth, kOutHeight);
  }
}
BENCHMARK(BM_Floor)->Arg(1)->Arg(2)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();

std::string VexaroPath() {
  return (fs::canonical("/proc/self/exe").parent_path().parent_path() / "app" / "vexaro").string();
}

void BM_VexaroMerge(benchmark::State& state) {
  const Photos& photos = TestPhotos();
  const std::string vexaro = VexaroPath();
  if (!fs::exists(vexaro)) {
    state.SkipWithError(("no " + vexaro).c_str());
    return;
  }
  std::vector<std::string> args{vexaro, "merge", "-o", photos.dir + "/cli.bmp"};
  args.insert(args.end(), photos.paths.begin(), photos.paths.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawn(&pid, vexaro.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError("cannot start vexaro");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("vexaro failed");
      break;
    }
  }
  posix_spawn_file_actions_destroy(&actions);
}
BENCHMARK(BM_VexaroMerge)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::strcmp(argv[1], "--write-photos") == 0) {
    return WritePhotos(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_photos_made) fs::remove_all(TestPhotos().dir);
  return 0;
}
