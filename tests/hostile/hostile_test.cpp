// The real `vexaro merge` over hostile photos: every one must end with exit
// status 1, one clear line on stderr ("vexaro: ..."), no sanitizer report,
// no output file written and an existing output file left byte-for-byte.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <zlib.h>

#include <chrono>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/bmp_writer.h"
#include "core/file_io.h"
#include "core/jpeg.h"
#include "core/raster.h"
#include "photo_forms.h"
#include "temp_dir.h"

namespace lenti {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

struct RunResult {
  int exit_code = -1;  // -1: killed (a hang) or a signal
  std::string err;
};

// Runs vexaro with `args`, stderr captured, killed after 30 s.
RunResult RunVexaro(const std::vector<std::string>& args) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipe_fds[1], 2);
    const int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 1);
    close(pipe_fds[0]);
    std::vector<char*> argv;
    std::string exe = LENTI_VEXARO_BIN;
    argv.push_back(exe.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  close(pipe_fds[1]);
  RunResult result;
  std::thread reader([&] {
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipe_fds[0], buffer, sizeof buffer)) > 0) result.err.append(buffer, static_cast<size_t>(n));
  });
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      reader.join();
      close(pipe_fds[0]);
      return result;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  reader.join();
  close(pipe_fds[0]);
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  return result;
}

void Put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void Put16(Bytes& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

Raster Photo(int w, int h) {
  Raster r(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) r.SetPixelColor(x, y, Color{uint8_t(x * 3), uint8_t(y * 5), uint8_t(x ^ y)});
  return r;
}

struct Case {
  std::string name;
  std::function<std::string(const fs::path& dir)> make;  // writes the bad photo, returns its path
};

std::string WriteBytes(const fs::path& path, const Bytes& bytes) {
  WriteWholeFile(path.string(), bytes.data(), bytes.size());
  return path.string();
}

std::vector<Case> HostileCases() {
  const Bytes bmp = EncodeBmp(Photo(40, 30));
  const Bytes jpeg = EncodeJpeg(Photo(64, 48), 80);
  std::vector<Case> cases;
  for (size_t cut : {size_t{0}, size_t{1}, size_t{2}, size_t{6}, size_t{10}, size_t{14}, size_t{18},
                     size_t{26}, size_t{30}, size_t{34}, size_t{53}, size_t{54}, size_t{200}, bmp.size() - 1}) {
    cases.push_back({"bmp truncated at " + std::to_string(cut), [bmp, cut](const fs::path& d) {
                       return WriteBytes(d / "cut.bmp", Bytes(bmp.begin(), bmp.begin() + cut));
                     }});
  }
  auto patched_bmp = [bmp](std::string name, std::function<void(Bytes&)> patch) {
    return Case{std::move(name), [bmp, patch](const fs::path& d) {
                  Bytes b = bmp;
                  patch(b);
                  return WriteBytes(d / "bad.bmp", b);
                }};
  };
  cases.push_back(patched_bmp("bmp wrong signature", [](Bytes& b) { b[0] = 'X'; }));
  cases.push_back(patched_bmp("bmp zero width", [](Bytes& b) { Put32(b, 18, 0); }));
  cases.push_back(patched_bmp("bmp negative width", [](Bytes& b) { Put32(b, 18, 0xFFFFFFF0u); }));
  cases.push_back(patched_bmp("bmp 2^31 width", [](Bytes& b) { Put32(b, 18, 0x80000000u); }));
  cases.push_back(patched_bmp("bmp height INT32_MIN", [](Bytes& b) { Put32(b, 22, 0x80000000u); }));
  cases.push_back(patched_bmp("bmp 65500 x 65500", [](Bytes& b) {
    Put32(b, 18, 65500);
    Put32(b, 22, 65500);
  }));
  cases.push_back(patched_bmp("bmp bit count 7", [](Bytes& b) { Put16(b, 28, 7); }));
  cases.push_back(patched_bmp("bmp offset past the end", [](Bytes& b) { Put32(b, 10, 0x7FFFFFF0u); }));
  cases.push_back(patched_bmp("bmp header size 0", [](Bytes& b) { Put32(b, 14, 0); }));
  cases.push_back(patched_bmp("bmp RLE compression", [](Bytes& b) { Put32(b, 30, 1); }));
  cases.push_back(patched_bmp("bmp 8-bit palette of 1000", [](Bytes& b) {
    Put16(b, 28, 8);
    Put32(b, 46, 1000);
  }));
  for (size_t cut : {size_t{0}, size_t{2}, size_t{3}, size_t{20}, size_t{100}, jpeg.size() / 2, jpeg.size() - 2}) {
    cases.push_back({"jpeg truncated at " + std::to_string(cut), [jpeg, cut](const fs::path& d) {
                       return WriteBytes(d / "cut.jpg", Bytes(jpeg.begin(), jpeg.begin() + cut));
                     }});
  }
  cases.push_back({"jpeg bad Huffman table", [jpeg](const fs::path& d) {
                     Bytes b = jpeg;
                     for (size_t i = 0; i + 20 < b.size(); ++i) {
                       if (b[i] == 0xFF && b[i + 1] == 0xC4) {  // DHT: make the code counts absurd
                         for (size_t k = i + 5; k < i + 21; ++k) b[k] = 0xFF;
                         break;
                       }
                     }
                     return WriteBytes(d / "dht.jpg", b);
                   }});
  cases.push_back({"jpeg garbage entropy data", [jpeg](const fs::path& d) {
                     Bytes b = jpeg;
                     for (size_t i = b.size() / 2; i < b.size() - 2; i += 7) b[i] = static_cast<uint8_t>(i * 13);
                     return WriteBytes(d / "garbage.jpg", b);
                   }});
  cases.push_back({"jpeg declaring 65500 x 65500", [jpeg](const fs::path& d) {
                     Bytes b = jpeg;
                     for (size_t i = 0; i + 9 < b.size(); ++i) {
                       if (b[i] == 0xFF && b[i + 1] == 0xC0) {
                         b[i + 5] = 0xFF, b[i + 6] = 0xDC, b[i + 7] = 0xFF, b[i + 8] = 0xDC;
                         break;
                       }
                     }
                     return WriteBytes(d / "huge.jpg", b);
                   }});
  // PNG: cut anywhere, CRCs broken, a tiny file declaring a huge photo.
  const Bytes png = forms::EncodePng(forms::MakePng(40, 30, PNG_COLOR_TYPE_RGB, 8, false, [](int x, int y, int c) {
    return static_cast<unsigned>(x * 5 + y * 3 + c * 70) % 256;
  }));
  for (size_t cut : {size_t{7}, size_t{8}, size_t{16}, size_t{33}, size_t{45}, png.size() / 2, png.size() - 12,
                     png.size() - 1}) {
    cases.push_back({"png truncated at " + std::to_string(cut), [png, cut](const fs::path& d) {
                       return WriteBytes(d / "cut.png", Bytes(png.begin(), png.begin() + cut));
                     }});
  }
  cases.push_back({"png bad IHDR CRC", [png](const fs::path& d) {
                     Bytes b = png;
                     b[29] ^= 0x40;
                     return WriteBytes(d / "crc.png", b);
                   }});
  cases.push_back({"png bad IDAT CRC", [png](const fs::path& d) {
                     Bytes b = png;
                     b[b.size() - 12 - 1] ^= 0x01;  // the last byte of IDAT's CRC, before IEND
                     return WriteBytes(d / "crc.png", b);
                   }});
  cases.push_back({"png of 1 KB declaring 50000 x 50000", [png](const fs::path& d) {
                     Bytes b = png;
                     b.resize(1024, 0);
                     for (size_t at : {size_t{16}, size_t{20}}) b[at] = 0, b[at + 1] = 0, b[at + 2] = 0xC3, b[at + 3] = 0x50;
                     const uint32_t crc = static_cast<uint32_t>(crc32(crc32(0, nullptr, 0), b.data() + 12, 17));
                     for (int i = 0; i < 4; ++i) b[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
                     return WriteBytes(d / "huge.png", b);
                   }});
  // TIFF: cut, directories past the end or looping, strips past the end, huge.
  forms::TiffForm form;
  form.width = 48;
  form.height = 32;
  form.rows_per_strip = 8;
  form.compression = COMPRESSION_ADOBE_DEFLATE;
  form.sample = [](int x, int y, int c) -> unsigned { return static_cast<unsigned>(x * 5 + y * 7 + c * 60) % 256; };
  const Bytes tiff = forms::EncodeTiff(form);
  const uint32_t ifd = tiff[4] | tiff[5] << 8 | tiff[6] << 16 | uint32_t{tiff[7]} << 24;
  const size_t entries = tiff[ifd] | tiff[ifd + 1] << 8;
  const size_t next = ifd + 2 + 12 * entries;
  auto entry_of = [tiff, ifd, entries](uint16_t tag) {
    for (size_t i = 0; i < entries; ++i) {
      const size_t at = ifd + 2 + 12 * i;
      if ((tiff[at] | tiff[at + 1] << 8) == tag) return at;
    }
    return size_t{0};
  };
  auto patched_tiff = [tiff](std::string name, std::function<void(Bytes&)> patch) {
    return Case{std::move(name), [tiff, patch](const fs::path& d) {
                  Bytes b = tiff;
                  patch(b);
                  return WriteBytes(d / "bad.tif", b);
                }};
  };
  for (size_t cut : {size_t{4}, size_t{8}, size_t{20}, tiff.size() / 2, tiff.size() - 1}) {
    cases.push_back({"tiff truncated at " + std::to_string(cut), [tiff, cut](const fs::path& d) {
                       return WriteBytes(d / "cut.tif", Bytes(tiff.begin(), tiff.begin() + cut));
                     }});
  }
  cases.push_back(patched_tiff("tiff IFD offset past the end", [](Bytes& b) { Put32(b, 4, 0x7FFFFFF0u); }));
  cases.push_back(patched_tiff("tiff next IFD past the end", [next](Bytes& b) { Put32(b, next, 0x7FFFFF00u); }));
  cases.push_back(patched_tiff("tiff IFD loop", [next, ifd](Bytes& b) { Put32(b, next, ifd); }));
  cases.push_back(patched_tiff("tiff IFD pointing at the header", [](Bytes& b) { Put32(b, 4, 0); }));
  cases.push_back(patched_tiff("tiff strips past the end", [entry_of](Bytes& b) {
    Put32(b, entry_of(TIFFTAG_STRIPOFFSETS) + 8, 0x7FFFFF00u);
  }));
  cases.push_back(patched_tiff("tiff strip byte counts past the end", [entry_of](Bytes& b) {
    Put32(b, entry_of(TIFFTAG_STRIPBYTECOUNTS) + 8, 0x7FFFFF00u);
  }));
  cases.push_back(patched_tiff("tiff 65500 x 65500", [entry_of](Bytes& b) {
    Put32(b, entry_of(TIFFTAG_IMAGEWIDTH) + 8, 65500);
    Put32(b, entry_of(TIFFTAG_IMAGELENGTH) + 8, 65500);
  }));
  cases.push_back(patched_tiff("tiff zero width", [entry_of](Bytes& b) { Put32(b, entry_of(TIFFTAG_IMAGEWIDTH) + 8, 0); }));
  cases.push_back(patched_tiff("tiff 7 bits per sample", [entry_of](Bytes& b) {
    Put16(b, entry_of(TIFFTAG_BITSPERSAMPLE) + 8, 7);
  }));
  cases.push_back({"zero-length file", [](const fs::path& d) { return WriteBytes(d / "empty.jpg", {}); }});
  cases.push_back({"PNG signature", [](const fs::path& d) {
                     return WriteBytes(d / "x.png", {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0});
                   }});
  cases.push_back({"GIF signature", [](const fs::path& d) {
                     return WriteBytes(d / "x.png", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0});
                   }});
  cases.push_back({"a directory", [](const fs::path& d) {
                     fs::create_directory(d / "folder.jpg");
                     return (d / "folder.jpg").string();
                   }});
  cases.push_back({"a FIFO", [](const fs::path& d) {
                     const std::string p = (d / "pipe.bmp").string();
                     mkfifo(p.c_str(), 0600);
                     return p;
                   }});
  cases.push_back({"a missing file", [](const fs::path& d) { return (d / "gone.jpg").string(); }});
  cases.push_back({"non-UTF-8 name of a bad file", [](const fs::path& d) {
                     return WriteBytes(d / std::string("\xff\xfe-bad.bmp"), {'B', 'M', 1});
                   }});
  cases.push_back({"a very long missing path", [](const fs::path& d) {
                     return (d / std::string(5000, 'a')).string();
                   }});
  return cases;
}

class Hostile : public ::testing::Test {
 protected:
  void SetUp() override {
    good_ = WriteBytes(dir_ / "good.bmp", EncodeBmp(Photo(120, 90)));
    // A merge needs a writable working folder; keep it inside the test folder.
    setenv("XDG_CACHE_HOME", (dir_ / "cache").c_str(), 1);
  }
  lenti::testing::TempDir temp_{"lenti-hostile"};
  fs::path dir_ = temp_.path();
  std::string good_;
};

TEST_F(Hostile, EveryBadPhotoFailsCleanlyAndWritesNothing) {
  int handled = 0;
  const std::vector<Case> cases = HostileCases();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path case_dir = dir_ / std::to_string(handled + 1000);
    fs::create_directories(case_dir);
    const std::string bad = c.make(case_dir);
    const std::string fresh_out = (case_dir / "fresh.bmp").string();
    const std::string kept_out = (case_dir / "kept.bmp").string();
    const Bytes kept_before{'k', 'e', 'e', 'p'};
    WriteBytes(kept_out, kept_before);

    for (const std::string& out : {fresh_out, kept_out}) {
      const RunResult r = RunVexaro({"merge", "-o", out, good_, bad});
      EXPECT_EQ(r.exit_code, 1) << r.err;
      EXPECT_EQ(r.err.rfind("vexaro: ", 0), 0u) << r.err;
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
      EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
      EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(fresh_out));
    EXPECT_EQ(ReadWholeFile(kept_out), kept_before);
    for (const auto& entry : fs::directory_iterator(case_dir)) {
      EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos)
          << "temporary file left: " << entry.path();
    }
    if (!::testing::Test::HasFailure()) ++handled;
  }
  std::printf("hostile inputs: %d of %zu handled cleanly\n", handled, cases.size());
  EXPECT_EQ(handled, static_cast<int>(cases.size()));
}

// Damage that only costs the photo its extras: an EXIF block with bad
// offsets (the photo is taken as stored) and a damaged ICC profile (taken as
// sRGB). The merge succeeds and makes exactly the pixels of the same photo
// without them.
TEST_F(Hostile, DamagedExifAndProfilesFallBackToThePlainPhoto) {
  Raster photo = Photo(64, 48);
  const Bytes jpeg = EncodeJpeg(photo, 90);
  Bytes exif = forms::ExifWithOrientation(6);
  Put32(exif, 10, 0x7FFFFFF0u);  // the first directory far past the end
  Bytes bad_icc = forms::DisplayP3Profile();
  // The tags' data after the tag table turned to noise (curves, matrix, white point).
  const size_t tags = size_t{bad_icc[128]} << 24 | bad_icc[129] << 16 | bad_icc[130] << 8 | bad_icc[131];
  for (size_t i = 132 + 12 * tags; i < bad_icc.size(); ++i) bad_icc[i] = static_cast<uint8_t>(i * 29);
  forms::PngForm png = forms::MakePng(64, 48, PNG_COLOR_TYPE_RGB, 8, false, [&photo](int x, int y, int c) -> unsigned {
    const Color k = photo.PixelColor(x, y);
    return c == 0 ? k.r : c == 1 ? k.g : k.b;
  });
  const std::string plain_png = WriteBytes(dir_ / "plain.png", forms::EncodePng(png));
  png.icc = bad_icc;
  struct Fallback {
    std::string name;
    std::string damaged;
    std::string plain;
  };
  const std::string plain_jpeg = WriteBytes(dir_ / "plain.jpg", jpeg);
  const std::vector<Fallback> cases = {
      {"jpeg exif with bad offsets", WriteBytes(dir_ / "exif.jpg", forms::WithJpegSegment(jpeg, 0xE1, exif)), plain_jpeg},
      {"jpeg damaged profile", WriteBytes(dir_ / "icc.jpg", forms::WithJpegIcc(jpeg, bad_icc)), plain_jpeg},
      {"jpeg profile with a chunk missing",
       WriteBytes(dir_ / "chunk.jpg", forms::WithJpegIcc(jpeg, forms::DisplayP3Profile(), 100)), plain_jpeg},
      {"png damaged profile", WriteBytes(dir_ / "icc.png", forms::EncodePng(png)), plain_png},
  };
  // The chunked profile loses its second chunk.
  Bytes chunked = ReadWholeFile(cases[2].damaged);
  for (size_t i = 0; i + 14 < chunked.size(); ++i) {
    if (std::memcmp(&chunked[i], "ICC_PROFILE", 11) == 0 && chunked[i + 12] == 2) chunked[i + 12] = 1;
  }
  WriteBytes(cases[2].damaged, chunked);
  const std::string want = (dir_ / "want.bmp").string();
  for (const Fallback& c : cases) {
    SCOPED_TRACE(c.name);
    const RunResult plain = RunVexaro({"merge", "-o", want, good_, c.plain});
    ASSERT_EQ(plain.exit_code, 0) << plain.err;
    const std::string got = (dir_ / "got.bmp").string();
    const RunResult r = RunVexaro({"merge", "-o", got, good_, c.damaged});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
    EXPECT_EQ(ReadWholeFile(got), ReadWholeFile(want));
  }
}

TEST_F(Hostile, AGoodMergeStillWorksBesideThem) {
  const std::string out = (dir_ / "ok.bmp").string();
  const RunResult r = RunVexaro({"merge", "-o", out, good_, good_});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(fs::exists(out));
}

}  // namespace
}  // namespace lenti
