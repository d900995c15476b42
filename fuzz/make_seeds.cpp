// Writes the seed corpora of the fuzz targets from the project's own writers
// and the tests' forms (PNG, TIFF, EXIF blocks, ICC profiles):
// BMP at every depth the reader knows (bottom-up, top-down, bit fields) and
// colour, grey and progressive JPEGs, project files from the job writer and
// a few near misses. Usage: make_seeds <corpus root>.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <utility>
#include <string>
#include <vector>

#include "core/bmp_writer.h"
#include "core/file_io.h"
#include "core/jpeg.h"
#include "core/raster.h"
#include "job/job_file.h"
#include "photo_forms.h"

namespace {

using lenti::Raster;

Raster Gradient(int width, int height, lenti::PixelFormat format) {
  Raster raster(width, height, lenti::PixelFormat::pf24bit);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      raster.SetPixelColor(x, y, lenti::Color{static_cast<uint8_t>(x * 5), static_cast<uint8_t>(y * 7),
                                              static_cast<uint8_t>((x ^ y) * 3)});
    }
  }
  raster.SetPixelFormat(format);
  return raster;
}

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A BMP of `bits` per pixel written field by field (4, 16 and 32 bits are
// not produced by the program's own writer). `masks` selects BI_BITFIELDS.
std::vector<uint8_t> HandMadeBmp(int width, int height, int bits, bool top_down, bool masks) {
  const uint32_t row = (static_cast<uint32_t>(width) * bits + 31) / 32 * 4;
  const uint32_t palette = bits <= 8 ? (1u << bits) * 4 : 0;
  const uint32_t extra = masks ? 12 : 0;
  const uint32_t offset = 54 + palette + extra;
  std::vector<uint8_t> out(offset + row * height, 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<uint32_t>(out.size()));
  Put32(out, 10, offset);
  Put32(out, 14, 40);
  Put32(out, 18, static_cast<uint32_t>(width));
  Put32(out, 22, static_cast<uint32_t>(top_down ? -height : height));
  Put16(out, 26, 1);
  Put16(out, 28, static_cast<uint32_t>(bits));
  Put32(out, 30, masks ? 3 : 0);
  Put32(out, 34, row * height);
  if (masks) {
    const bool five = bits == 16;
    Put32(out, 54, five ? 0xF800 : 0x00FF0000);
    Put32(out, 58, five ? 0x07E0 : 0x0000FF00);
    Put32(out, 62, five ? 0x001F : 0x000000FF);
  }
  for (uint32_t i = 0; i < palette / 4; ++i) {
    out[54 + i * 4] = static_cast<uint8_t>(i * 17);
    out[55 + i * 4] = static_cast<uint8_t>(i * 11);
    out[56 + i * 4] = static_cast<uint8_t>(i * 5);
  }
  for (uint32_t i = offset; i < out.size(); ++i) out[i] = static_cast<uint8_t>(i * 31);
  return out;
}

void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  lenti::WriteWholeFile(path, bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds <corpus root>\n");
    return 2;
  }
  const std::string root = argv[1];
  for (const char* dir : {"", "/bmp", "/jpeg", "/picture", "/cli_args", "/png", "/tiff", "/exif", "/job"}) mkdir((root + dir).c_str(), 0755);

  Write(root + "/bmp/24.bmp", lenti::EncodeBmp(Gradient(47, 33, lenti::PixelFormat::pf24bit)));
  Write(root + "/bmp/8.bmp", lenti::EncodeBmp(Gradient(47, 33, lenti::PixelFormat::pf8bit)));
  Write(root + "/bmp/1.bmp", lenti::EncodeBmp(Gradient(47, 33, lenti::PixelFormat::pf1bit)));
  Write(root + "/bmp/4.bmp", HandMadeBmp(13, 7, 4, false, false));
  Write(root + "/bmp/16.bmp", HandMadeBmp(13, 7, 16, false, false));
  Write(root + "/bmp/16-fields.bmp", HandMadeBmp(13, 7, 16, false, true));
  Write(root + "/bmp/32.bmp", HandMadeBmp(13, 7, 32, false, false));
  Write(root + "/bmp/32-fields-topdown.bmp", HandMadeBmp(13, 7, 32, true, true));
  Write(root + "/bmp/24-topdown.bmp", HandMadeBmp(13, 7, 24, true, false));

  const Raster colour = Gradient(40, 24, lenti::PixelFormat::pf24bit);
  Raster grey = Gradient(40, 24, lenti::PixelFormat::pf24bit);
  grey.SetPixelFormat(lenti::PixelFormat::pf8bit);
  Write(root + "/jpeg/colour.jpg", lenti::EncodeJpeg(colour, 75));
  Write(root + "/jpeg/grey.jpg", lenti::EncodeJpeg(grey, 75));
  Write(root + "/jpeg/progressive.jpg", lenti::EncodeJpeg(colour, 60, true));

  // The picture target: the first byte picks the extension (0 .bmp, 2 .jpg, 5 .png).
  auto prefixed = [](uint8_t first, std::vector<uint8_t> bytes) {
    bytes.insert(bytes.begin(), first);
    return bytes;
  };
  Write(root + "/picture/bmp", prefixed(0, lenti::EncodeBmp(Gradient(9, 5, lenti::PixelFormat::pf24bit))));
  Write(root + "/picture/jpg", prefixed(2, lenti::EncodeJpeg(colour, 50)));
  Write(root + "/picture/png", prefixed(5, {0x89, 'P', 'N', 'G'}));

  // PNG: each colour type, 1 to 16 bits, interlaced, transparency, a profile.
  namespace forms = lenti::forms;
  auto sample = [](int x, int y, int c) -> unsigned { return static_cast<unsigned>(x * 7 + y * 3 + c * 40); };
  struct PngSeed {
    const char* name;
    int type;
    int depth;
    bool interlaced;
  };
  for (const PngSeed& p : {PngSeed{"rgb8", PNG_COLOR_TYPE_RGB, 8, false}, PngSeed{"rgb16", PNG_COLOR_TYPE_RGB, 16, false},
                           PngSeed{"grey1", PNG_COLOR_TYPE_GRAY, 1, false}, PngSeed{"grey4", PNG_COLOR_TYPE_GRAY, 4, true},
                           PngSeed{"grey16", PNG_COLOR_TYPE_GRAY, 16, false}, PngSeed{"ga8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false},
                           PngSeed{"rgba8-adam7", PNG_COLOR_TYPE_RGBA, 8, true}, PngSeed{"rgba16", PNG_COLOR_TYPE_RGBA, 16, false},
                           PngSeed{"palette4", PNG_COLOR_TYPE_PALETTE, 4, false}}) {
    const unsigned top = (1u << p.depth) - 1;
    forms::PngForm form = forms::MakePng(11, 6, p.type, p.depth, p.interlaced,
                                         [sample, top](int x, int y, int c) { return sample(x, y, c) % (top + 1); });
    if (p.type == PNG_COLOR_TYPE_PALETTE) {
      for (int i = 0; i < 16; ++i) form.palette.push_back({uint8_t(i * 16), uint8_t(255 - i * 9), uint8_t(i * 3)});
      form.trns = {0, 128, 255, 40};
    }
    Write(root + "/png/" + p.name + ".png", forms::EncodePng(form));
  }
  forms::PngForm p3 = forms::MakePng(8, 4, PNG_COLOR_TYPE_RGB, 8, false, sample);
  p3.icc = forms::DisplayP3Profile();
  Write(root + "/png/p3.png", forms::EncodePng(p3));

  // TIFF: both pixel paths, compressions, alpha, tiles, planes, orientation, profile.
  auto tiff = [&](const char* name, std::function<void(forms::TiffForm&)> change) {
    forms::TiffForm f;
    f.width = 9;
    f.height = 5;
    f.sample = [](int x, int y, int c) -> unsigned { return static_cast<unsigned>(x * 20 + y * 9 + c * 50) % 256; };
    change(f);
    Write(root + "/tiff/" + name + ".tif", forms::EncodeTiff(f));
  };
  tiff("rgb", [](forms::TiffForm&) {});
  tiff("rgb-lzw-turned", [](forms::TiffForm& f) {
    f.compression = COMPRESSION_LZW;
    f.orientation = 6;
  });
  tiff("rgb16-deflate", [](forms::TiffForm& f) {
    f.bits = 16;
    f.compression = COMPRESSION_ADOBE_DEFLATE;
  });
  tiff("rgba", [](forms::TiffForm& f) {
    f.samples = 4;
    f.extra = EXTRASAMPLE_UNASSALPHA;
  });
  tiff("grey-packbits", [](forms::TiffForm& f) {
    f.photometric = PHOTOMETRIC_MINISBLACK;
    f.samples = 1;
    f.compression = COMPRESSION_PACKBITS;
  });
  tiff("bilevel", [](forms::TiffForm& f) {
    f.photometric = PHOTOMETRIC_MINISWHITE;
    f.samples = 1;
    f.bits = 1;
    f.sample = [](int x, int y, int) -> unsigned { return (x ^ y) & 1; };
  });
  tiff("palette", [](forms::TiffForm& f) {
    f.photometric = PHOTOMETRIC_PALETTE;
    f.samples = 1;
    f.bits = 2;
    f.colormap = {0, 65535, 0, 9000, 0, 0, 65535, 9000, 0, 0, 0, 9000};
    f.sample = [](int x, int y, int) -> unsigned { return (x + y) % 4; };
  });
  tiff("cmyk", [](forms::TiffForm& f) {
    f.photometric = PHOTOMETRIC_SEPARATED;
    f.samples = 4;
  });
  tiff("tiles-p3", [](forms::TiffForm& f) {
    f.width = 20;
    f.height = 18;
    f.tile = 16;
    f.icc = forms::DisplayP3Profile();
  });
  tiff("planes", [](forms::TiffForm& f) {
    f.planar = PLANARCONFIG_SEPARATE;
    f.orientation = 3;
  });

  // EXIF blocks (first byte even) and ICC profiles (first byte odd).
  for (uint16_t orientation : {1, 3, 6, 8}) {
    for (bool big : {false, true}) {
      std::vector<uint8_t> exif = forms::ExifWithOrientation(orientation, big);
      exif.erase(exif.begin(), exif.begin() + 6);  // the target puts "Exif\0\0" back
      exif.insert(exif.begin(), 0);
      Write(root + "/exif/orientation" + std::to_string(orientation) + (big ? "-mm" : "-ii"), exif);
    }
  }
  for (const auto& [name, profile] : {std::pair<const char*, std::vector<uint8_t>>{"p3", forms::DisplayP3Profile()},
                                      {"grey", forms::GreyProfile(1.8)}}) {
    std::vector<uint8_t> seed = profile;
    seed.insert(seed.begin(), 1);
    Write(root + "/exif/icc-" + std::string(name), seed);
  }

  // The command line: arguments separated by NUL bytes.
  auto args = [](std::initializer_list<const char*> list) {
    std::vector<uint8_t> bytes;
    for (const char* arg : list) {
      if (!bytes.empty()) bytes.push_back(0);
      for (const char* c = arg; *c; ++c) bytes.push_back(static_cast<uint8_t>(*c));
    }
    return bytes;
  };
  Write(root + "/cli_args/merge", args({"merge", "-o", "out.bmp", "--mode", "landscape", "--crop",
                                        "1=0,0,10,12", "--text", "Hi", "--rotate", "1", "a.jpg", "b.bmp"}));
  Write(root + "/cli_args/chart", args({"chart", "-o", "c.bmp", "--paper", "A3", "--dpi", "600", "--lpi", "40.5"}));
  // Project files: what the writer makes, and near misses of it.
  auto text = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
  const std::string project = "/nonexistent-vexaro-fuzz/job.vexaro";
  lenti::Job job;
  for (int slot = 1; slot <= 3; ++slot) {
    job.frames.push_back(lenti::JobFrame{slot, "/nonexistent-vexaro-fuzz/photos/p" + std::to_string(slot) + ".jpg",
                                         "00112233445566a" + std::to_string(slot), lenti::Size{640, 480},
                                         lenti::Rect{-8 * slot, 0, 400, 480}, lenti::FramePlacement{static_cast<double>(slot), static_cast<double>(-slot)}});
  }
  Write(root + "/job/plain.vexaro", text(lenti::JobToJson(job, project)));
  job.mode = lenti::Mode::LandscapeColumns;
  job.lens = lenti::LensSettings{601234, true, 720, -1234, 1453, 1729, lenti::Sampling::Area};
  job.merged = true;
  const lenti::JobText words{"Grüße", lenti::Font{"DejaVu Sans", 24, true, true, false, true, lenti::Color{1, 2, 3}},
                             lenti::Point{-5, 9}};
  job.finishing = {{lenti::FinishingStep::Kind::BarsOn, {}},
                   {lenti::FinishingStep::Kind::BurnText, words},
                   {lenti::FinishingStep::Kind::Turn, {}},
                   {lenti::FinishingStep::Kind::BarsOff, {}}};
  job.pending_text = words;
  job.output = lenti::JobOutput{"out.tif", "out.pdf", {}};
  job.printer = lenti::PrinterProfile{1200, "Letter"};
  const std::string full = lenti::JobToJson(job, project);
  Write(root + "/job/full.vexaro", text(full));
  Write(root + "/job/least.vexaro", text(R"({"format":"vexaro-job","version":1,"frames":[{"slot":1,"path":"a.jpg"}]})"));
  Write(root + "/job/newer.vexaro", text(R"({"format":"vexaro-job","version":2,"frames":[]})"));
  Write(root + "/job/slot17.vexaro", text(R"({"format":"vexaro-job","version":1,"frames":[{"slot":17,"path":"a"}]})"));
  Write(root + "/job/lens-words.vexaro",
        text(R"({"format":"vexaro-job","version":1,"frames":[],"lens":{"lpi":"21.25","dpi":"nearest-300","phase":1e400}})"));
  Write(root + "/job/truncated.vexaro", text(full.substr(0, full.size() / 2)));
  std::printf("seeds written under %s\n", root.c_str());
  return 0;
}
