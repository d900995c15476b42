// PNG, TIFF, EXIF and ICC forms made in memory with the libraries' writers,
// for the readers' tests, the hostile suite and the fuzz seeds. Each form
// states its samples through a function, so a test can name the pixel it
// expects at any place.
#pragma once

#include <lcms2.h>
#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace lenti::forms {

using Bytes = std::vector<uint8_t>;
// The value of channel c at (x, y), within the form's bit depth.
using SampleFn = std::function<unsigned(int x, int y, int c)>;

// ---- PNG ----

struct PngForm {
  int width = 4;
  int height = 3;
  int color_type = PNG_COLOR_TYPE_RGB;
  int bit_depth = 8;
  bool interlaced = false;
  SampleFn sample;                // palette photos: the index
  std::vector<png_color> palette;  // PNG_COLOR_TYPE_PALETTE
  Bytes trns;                      // palette: alpha per entry; grey/RGB: unused
  bool trns_colour = false;        // grey/RGB: the colour trns_value is transparent
  png_color_16 trns_value{};
  Bytes icc;                       // iCCP profile
};

inline PngForm MakePng(int width, int height, int color_type, int bit_depth, bool interlaced, SampleFn sample) {
  PngForm f;
  f.width = width;
  f.height = height;
  f.color_type = color_type;
  f.bit_depth = bit_depth;
  f.interlaced = interlaced;
  f.sample = std::move(sample);
  return f;
}

inline int PngChannels(int color_type) {
  switch (color_type) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
      return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB:
      return 3;
    default:
      return 4;
  }
}

inline Bytes EncodePng(const PngForm& f) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("EncodePng failed");
  }
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, size_t n) {
        auto* o = static_cast<Bytes*>(png_get_io_ptr(p));
        o->insert(o->end(), data, data + n);
      },
      nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(f.width), static_cast<png_uint_32>(f.height), f.bit_depth,
               f.color_type, f.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!f.palette.empty()) png_set_PLTE(png, info, f.palette.data(), static_cast<int>(f.palette.size()));
  if (!f.trns.empty()) png_set_tRNS(png, info, f.trns.data(), static_cast<int>(f.trns.size()), nullptr);
  if (f.trns_colour) png_set_tRNS(png, info, nullptr, 0, &f.trns_value);
  if (!f.icc.empty()) {
    png_set_iCCP(png, info, "profile", PNG_COMPRESSION_TYPE_BASE, f.icc.data(),
                 static_cast<png_uint_32>(f.icc.size()));
  }
  png_write_info(png, info);
  const int channels = PngChannels(f.color_type);
  const size_t row_bytes = (static_cast<size_t>(f.width) * channels * f.bit_depth + 7) / 8;
  std::vector<Bytes> rows(static_cast<size_t>(f.height), Bytes(row_bytes, 0));
  for (int y = 0; y < f.height; ++y) {
    Bytes& row = rows[static_cast<size_t>(y)];
    for (int x = 0; x < f.width; ++x) {
      for (int c = 0; c < channels; ++c) {
        const unsigned v = f.sample(x, y, c);
        const size_t i = static_cast<size_t>(x) * channels + c;
        if (f.bit_depth == 16) {
          row[2 * i] = static_cast<uint8_t>(v >> 8);
          row[2 * i + 1] = static_cast<uint8_t>(v);
        } else if (f.bit_depth == 8) {
          row[i] = static_cast<uint8_t>(v);
        } else {
          const size_t bit = i * f.bit_depth;
          row[bit / 8] |= static_cast<uint8_t>(v << (8 - f.bit_depth - bit % 8));
        }
      }
    }
  }
  std::vector<png_bytep> pointers;
  for (Bytes& row : rows) pointers.push_back(row.data());
  png_write_image(png, pointers.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

// ---- TIFF ----

struct TiffForm {
  uint32_t width = 4;
  uint32_t height = 3;
  uint16_t photometric = PHOTOMETRIC_RGB;
  uint16_t bits = 8;
  uint16_t samples = 3;
  uint16_t extra = 0;  // EXTRASAMPLE_* of one extra sample (with samples = colours + 1)
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint16_t compression = COMPRESSION_NONE;
  uint16_t orientation = 0;  // 0: no tag
  uint16_t fill_order = FILLORDER_MSB2LSB;  // LSB2MSB: libtiff reverses the bits of every byte stored
  uint32_t rows_per_strip = 2;
  uint32_t tile = 0;  // tile side (a multiple of 16); 0: strips
  SampleFn sample;
  std::vector<uint16_t> colormap;  // palette: 3 x 2^bits entries, red then green then blue
  Bytes icc;
};

struct MemoryTiff {
  Bytes bytes;
  uint64_t at = 0;
};

inline Bytes EncodeTiff(const TiffForm& f) {
  MemoryTiff file;
  TIFF* tif = TIFFClientOpen(
      "form.tif", "w", &file,
      [](thandle_t h, void* b, tmsize_t n) -> tmsize_t {
        auto* m = static_cast<MemoryTiff*>(h);
        const uint64_t n64 = static_cast<uint64_t>(n);
        const uint64_t left = m->at < m->bytes.size() ? m->bytes.size() - m->at : 0;
        const uint64_t k = n64 < left ? n64 : left;
        std::memcpy(b, m->bytes.data() + m->at, k);
        m->at += k;
        return static_cast<tmsize_t>(k);
      },
      [](thandle_t h, void* b, tmsize_t n) -> tmsize_t {
        auto* m = static_cast<MemoryTiff*>(h);
        if (m->bytes.size() < m->at + n) m->bytes.resize(m->at + n);
        std::memcpy(m->bytes.data() + m->at, b, static_cast<size_t>(n));
        m->at += n;
        return n;
      },
      [](thandle_t h, toff_t off, int whence) -> toff_t {
        auto* m = static_cast<MemoryTiff*>(h);
        m->at = (whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->at : m->bytes.size()) + off;
        return m->at;
      },
      [](thandle_t) { return 0; }, [](thandle_t h) -> toff_t { return static_cast<MemoryTiff*>(h)->bytes.size(); },
      [](thandle_t, void**, toff_t*) { return 0; }, [](thandle_t, void*, toff_t) {});
  if (tif == nullptr) throw std::runtime_error("EncodeTiff: open failed");
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, f.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, f.height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, f.bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, f.samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, f.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, f.planar);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, f.compression);
  if (f.extra != 0 || f.samples == 2 || f.samples == 4) {
    const uint16_t extra[1] = {f.extra};
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
  }
  if (f.orientation != 0) TIFFSetField(tif, TIFFTAG_ORIENTATION, f.orientation);
  if (f.fill_order != FILLORDER_MSB2LSB) TIFFSetField(tif, TIFFTAG_FILLORDER, f.fill_order);
  if (!f.icc.empty()) TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(f.icc.size()), f.icc.data());
  if (!f.colormap.empty()) {
    const size_t n = f.colormap.size() / 3;
    TIFFSetField(tif, TIFFTAG_COLORMAP, f.colormap.data(), f.colormap.data() + n, f.colormap.data() + 2 * n);
  }
  const bool separate = f.planar == PLANARCONFIG_SEPARATE;
  const int per_pass = separate ? 1 : f.samples;
  // One line (or one tile row) of samples, packed.
  auto pack = [&](uint32_t x0, uint32_t width, uint32_t y, int first, Bytes& out) {
    const size_t bytes = (static_cast<size_t>(width) * per_pass * f.bits + 7) / 8;
    out.assign(bytes, 0);
    for (uint32_t x = 0; x < width; ++x) {
      for (int c = 0; c < per_pass; ++c) {
        const unsigned v = x0 + x < f.width && y < f.height
                               ? f.sample(static_cast<int>(x0 + x), static_cast<int>(y), first + c)
                               : 0;
        const size_t i = static_cast<size_t>(x) * per_pass + c;
        if (f.bits == 16) {
          const uint16_t s = static_cast<uint16_t>(v);
          std::memcpy(&out[2 * i], &s, 2);
        } else if (f.bits == 8) {
          out[i] = static_cast<uint8_t>(v);
        } else {
          const size_t bit = i * f.bits;
          out[bit / 8] |= static_cast<uint8_t>(v << (8 - f.bits - bit % 8));
        }
      }
    }
  };
  Bytes line;
  if (f.tile != 0) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, f.tile);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, f.tile);
    for (uint32_t ty = 0; ty < f.height; ty += f.tile) {
      for (uint32_t tx = 0; tx < f.width; tx += f.tile) {
        Bytes tile;
        for (uint32_t y = 0; y < f.tile; ++y) {
          pack(tx, f.tile, ty + y, 0, line);
          tile.insert(tile.end(), line.begin(), line.end());
        }
        TIFFWriteTile(tif, tile.data(), tx, ty, 0, 0);
      }
    }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, f.rows_per_strip);
    for (int s = 0; s < (separate ? f.samples : 1); ++s) {
      for (uint32_t y = 0; y < f.height; ++y) {
        pack(0, f.width, y, s, line);
        TIFFWriteScanline(tif, line.data(), y, static_cast<uint16_t>(s));
      }
    }
  }
  TIFFClose(tif);
  return file.bytes;
}

// ---- EXIF and JPEG markers ----

// An EXIF block ("Exif\0\0" and a little- or big-endian TIFF structure)
// whose first directory holds only the orientation.
inline Bytes ExifWithOrientation(uint16_t orientation, bool big_endian = false) {
  Bytes b = {'E', 'x', 'i', 'f', 0, 0};
  auto put16 = [&](uint16_t v) {
    if (big_endian) {
      b.push_back(static_cast<uint8_t>(v >> 8));
      b.push_back(static_cast<uint8_t>(v));
    } else {
      b.push_back(static_cast<uint8_t>(v));
      b.push_back(static_cast<uint8_t>(v >> 8));
    }
  };
  auto put32 = [&](uint32_t v) {
    if (big_endian) {
      put16(static_cast<uint16_t>(v >> 16));
      put16(static_cast<uint16_t>(v));
    } else {
      put16(static_cast<uint16_t>(v));
      put16(static_cast<uint16_t>(v >> 16));
    }
  };
  b.push_back(big_endian ? 'M' : 'I');
  b.push_back(big_endian ? 'M' : 'I');
  put16(42);
  put32(8);       // first directory
  put16(1);       // one entry
  put16(0x0112);  // Orientation
  put16(3);       // SHORT
  put32(1);
  put16(orientation);
  put16(0);
  put32(0);  // no next directory
  return b;
}

// The JPEG with one marker segment (APPn payload) inserted after SOI.
inline Bytes WithJpegSegment(const Bytes& jpeg, uint8_t marker, const Bytes& payload) {
  Bytes out(jpeg.begin(), jpeg.begin() + 2);
  const size_t length = payload.size() + 2;
  out.push_back(0xFF);
  out.push_back(marker);
  out.push_back(static_cast<uint8_t>(length >> 8));
  out.push_back(static_cast<uint8_t>(length));
  out.insert(out.end(), payload.begin(), payload.end());
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

// The profile split into APP2 "ICC_PROFILE" chunks of at most `chunk` bytes.
inline Bytes WithJpegIcc(Bytes jpeg, const Bytes& icc, size_t chunk = 60000) {
  const size_t count = (icc.size() + chunk - 1) / chunk;
  // Inserted last chunk first, so that they stand in order after SOI.
  for (size_t i = count; i-- > 0;) {
    Bytes payload = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};
    payload.push_back(static_cast<uint8_t>(i + 1));
    payload.push_back(static_cast<uint8_t>(count));
    const size_t end = std::min(icc.size(), (i + 1) * chunk);
    payload.insert(payload.end(), icc.begin() + static_cast<std::ptrdiff_t>(i * chunk),
                   icc.begin() + static_cast<std::ptrdiff_t>(end));
    jpeg = WithJpegSegment(jpeg, 0xE2, payload);
  }
  return jpeg;
}

// ---- ICC profiles ----

inline Bytes SaveProfile(cmsHPROFILE profile) {
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  Bytes out(size);
  cmsSaveProfileToMem(profile, out.data(), &size);
  cmsCloseProfile(profile);
  return out;
}

// Display P3: the DCI-P3 primaries, D65 white, the sRGB tone curve.
inline Bytes DisplayP3Profile() {
  const cmsCIExyY white = {0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE primaries = {{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}};
  const cmsFloat64Number params[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
  cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, params);
  cmsToneCurve* curves[3] = {curve, curve, curve};
  cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsFreeToneCurve(curve);
  return SaveProfile(profile);
}

// A grey profile with a gamma of `gamma`.
inline Bytes GreyProfile(double gamma) {
  cmsToneCurve* curve = cmsBuildGamma(nullptr, gamma);
  cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), curve);
  cmsFreeToneCurve(curve);
  return SaveProfile(profile);
}

}  // namespace lenti::forms
