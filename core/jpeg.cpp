#include "core/jpeg.h"

// jpeglib.h needs size_t and FILE declared first.
#include <cstddef>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "core/error.h"
#include "core/exif_orientation.h"
#include "core/file_io.h"

namespace lenti {
namespace {

// Rows and columns decoded beyond a region on each side, so that the
// upsampling of subsampled colour sees the same neighbours as in a full
// decode (libjpeg treats the edge of a cropped or skipped area as an image
// edge). One iMCU of the largest sampling factor is enough.
constexpr JDIMENSION kRegionMargin = 16;
// Rows handed to libjpeg per call.
constexpr int kRowsPerCall = 16;
// libjpeg's own working memory (a progressive photo keeps every coefficient):
// beyond this it stops with an error instead of growing further.
constexpr long kMaxLibjpegMemory = long{3} << 30;

// ---- errors ----

// The error manager. libjpeg hands back a pointer to `manager`, the first
// member, which is cast back to the trap.
struct ErrorTrap {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JumpOnError(j_common_ptr cinfo) {
  auto* trap = reinterpret_cast<ErrorTrap*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, trap->message);
  std::longjmp(trap->jump, 1);
}

// Warnings that leave the pixels intact: an unknown JFIF revision, an ICC
// profile we do not use, stray bytes between two header segments. Stray
// bytes after entropy-coded data (before a scan, restart or end marker) are
// not among them: they mean the decoder fell out of step with the data.
bool LeavesPixelsIntact(const jpeg_error_mgr& err) {
  if (err.msg_code == JWRN_JFIF_MAJOR || err.msg_code == JWRN_BOGUS_ICC) return true;
  if (err.msg_code != JWRN_EXTRANEOUS_DATA) return false;
  const int marker = err.msg_parm.i[1];
  return marker != 0xD9 && marker != 0xDA && (marker < 0xD0 || marker > 0xD7);
}

// libjpeg reports damage it "recovers" from (a truncated file, a bad Huffman
// code, data that runs short) as a warning and fills the rest with grey; such
// a picture must not be taken for the photo, so those warnings stop the
// decode like errors.
void OnMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace output
  ++cinfo->err->num_warnings;
  if (!LeavesPixelsIntact(*cinfo->err)) JumpOnError(cinfo);
}

void Silent(j_common_ptr) {}

void InstallTrap(ErrorTrap& trap) {
  jpeg_std_error(&trap.manager);
  trap.manager.error_exit = JumpOnError;
  trap.manager.emit_message = OnMessage;
  trap.manager.output_message = Silent;
  trap.message[0] = '\0';
}

[[noreturn]] void Invalid(const std::string& name, const char* message) {
  throw Error("JPEG image is not valid: " + name + ": " + message);
}

void CheckSizeLimit(int64_t width, int64_t height, PixelFormat format, const std::string& name) {
  try {
    CheckRasterSize(width, height, format);
  } catch (const Error&) {
    throw Error("JPEG image is too large: " + name + ": " + std::to_string(width) + " x " +
                std::to_string(height) + " pixels need more than " +
                std::to_string(kMaxRasterBytes >> 20) + " MB");
  }
}

// ---- decoding ----

struct Decoder {
  jpeg_decompress_struct cinfo;
  ErrorTrap trap;
  Decoder() {
    std::memset(&cinfo, 0, sizeof cinfo);
    InstallTrap(trap);
    cinfo.err = &trap.manager;
  }
  ~Decoder() { jpeg_destroy_decompress(&cinfo); }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
};

// What to decode and where it goes. Trivially destructible: it is used
// inside the setjmp frames.
struct DecodePlan {
  JDIMENSION first_row = 0;  // first row decoded (the region's top minus the margin)
  JDIMENSION top = 0;        // first row kept
  JDIMENSION bottom = 0;     // one past the last row kept
  JDIMENSION crop_x = 0;     // columns decoded, as jpeg_crop_scanline widens them
  JDIMENSION crop_width = 0;
  JDIMENSION left = 0;  // first column kept
  JDIMENSION width = 0;  // columns kept
  bool crop = false;
  bool cmyk = false;
  bool cmyk_inverted = false;  // Adobe files store C, M, Y, K inverted
  int decoded_components = 3;
  int kept_components = 3;  // 3 (BGR) or 1 (grey)
  uint8_t* out = nullptr;   // raster row 0
  size_t out_stride = 0;
  uint8_t* scratch = nullptr;  // kRowsPerCall decoded rows, when rows cannot go straight out
};

// Each Guarded* function holds the setjmp of one libjpeg phase and returns
// false when libjpeg raised an error. Nothing with a destructor lives in
// them: a longjmp does not run destructors.
bool GuardedReadHeader(Decoder* d, const uint8_t* data, size_t size, bool keep_markers) {
  if (setjmp(d->trap.jump) != 0) return false;
  jpeg_create_decompress(&d->cinfo);
  jpeg_mem_src(&d->cinfo, data, static_cast<unsigned long>(size));
  if (keep_markers) {
    jpeg_save_markers(&d->cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_save_markers(&d->cinfo, JPEG_APP0 + 2, 0xFFFF);
  }
  jpeg_read_header(&d->cinfo, TRUE);
  return true;
}

bool GuardedStart(Decoder* d, DecodePlan* plan) {
  if (setjmp(d->trap.jump) != 0) return false;
  d->cinfo.mem->max_memory_to_use = kMaxLibjpegMemory;
  jpeg_start_decompress(&d->cinfo);
  if (plan->crop) jpeg_crop_scanline(&d->cinfo, &plan->crop_x, &plan->crop_width);
  if (plan->first_row > 0) jpeg_skip_scanlines(&d->cinfo, plan->first_row);
  return true;
}

uint8_t Mix(unsigned a, unsigned b) { return static_cast<uint8_t>((a * b + 127) / 255); }

// Plain C, as it runs inside a setjmp frame.
void CmykToBgr(const uint8_t* src, uint8_t* dst, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x) {
    const uint8_t* p = src + 4 * x;
    // Inverted files hold 255 - ink, so the ink-free share is the value itself.
    const unsigned c = inverted ? p[0] : 255u - p[0];
    const unsigned m = inverted ? p[1] : 255u - p[1];
    const unsigned y = inverted ? p[2] : 255u - p[2];
    const unsigned k = inverted ? p[3] : 255u - p[3];
    dst[3 * x] = Mix(y, k);
    dst[3 * x + 1] = Mix(m, k);
    dst[3 * x + 2] = Mix(c, k);
  }
}

void KeepRow(const DecodePlan* plan, const uint8_t* decoded, uint8_t* dst) {
  const size_t skip = static_cast<size_t>(plan->left - plan->crop_x) * plan->decoded_components;
  if (plan->cmyk) {
    CmykToBgr(decoded + skip, dst, plan->width, plan->cmyk_inverted);
  } else {
    std::memcpy(dst, decoded + skip, static_cast<size_t>(plan->width) * plan->kept_components);
  }
}

bool GuardedReadRows(Decoder* d, const DecodePlan* plan) {
  if (setjmp(d->trap.jump) != 0) return false;
  jpeg_decompress_struct* c = &d->cinfo;
  const size_t scratch_stride = static_cast<size_t>(plan->crop_width) * plan->decoded_components;
  JSAMPROW rows[kRowsPerCall];
  while (c->output_scanline < plan->bottom) {
    const JDIMENSION y = c->output_scanline;
    const JDIMENSION count = std::min<JDIMENSION>(kRowsPerCall, plan->bottom - y);
    // Straight into the raster when the decoded row is the kept row.
    const bool direct = plan->scratch == nullptr && y >= plan->top;
    for (JDIMENSION k = 0; k < count; ++k) {
      rows[k] = direct ? plan->out + (y + k - plan->top) * plan->out_stride
                       : plan->scratch + k * scratch_stride;
    }
    const JDIMENSION got = jpeg_read_scanlines(c, rows, count);
    if (direct) continue;
    for (JDIMENSION k = 0; k < got; ++k) {
      if (y + k >= plan->top) KeepRow(plan, rows[k], plan->out + (y + k - plan->top) * plan->out_stride);
    }
  }
  return true;
}

bool GuardedFinish(Decoder* d) {
  if (setjmp(d->trap.jump) != 0) return false;
  jpeg_finish_decompress(&d->cinfo);
  return true;
}

void ReadHeader(Decoder& d, const uint8_t* data, size_t size, const std::string& name,
                bool keep_markers = false) {
  if (!GuardedReadHeader(&d, data, data == nullptr ? 0 : size, keep_markers)) Invalid(name, d.trap.message);
}

// The region clipped to the photo; empty when nothing of it lies inside.
Rect ClipToPhoto(const Rect& region, int width, int height) {
  const Rect r = region.Intersected(Rect{0, 0, width, height});
  return r.IsEmpty() ? Rect{} : r;
}

void ChooseColours(jpeg_decompress_struct& c, DecodePlan& plan) {
  switch (c.jpeg_color_space) {
    case JCS_GRAYSCALE:
      c.out_color_space = JCS_GRAYSCALE;
      plan.decoded_components = plan.kept_components = 1;
      break;
    case JCS_CMYK:
    case JCS_YCCK:  // libjpeg turns YCCK into CMYK
      c.out_color_space = JCS_CMYK;
      plan.decoded_components = 4;
      plan.kept_components = 3;
      plan.cmyk = true;
      plan.cmyk_inverted = c.saw_Adobe_marker;
      break;
    default:
      c.out_color_space = JCS_EXT_BGR;
      plan.decoded_components = plan.kept_components = 3;
      break;
  }
}

void PlanArea(const Rect& area, int photo_width, DecodePlan& plan) {
  plan.top = static_cast<JDIMENSION>(area.top);
  plan.bottom = static_cast<JDIMENSION>(area.bottom);
  plan.left = static_cast<JDIMENSION>(area.left);
  plan.width = static_cast<JDIMENSION>(area.Width());
  plan.first_row = plan.top > kRegionMargin ? plan.top - kRegionMargin : 0;
  const JDIMENSION full = static_cast<JDIMENSION>(photo_width);
  const JDIMENSION from = plan.left > kRegionMargin ? plan.left - kRegionMargin : 0;
  const JDIMENSION to = std::min(full, plan.left + plan.width + kRegionMargin);
  plan.crop = from > 0 || to < full;
  plan.crop_x = from;
  plan.crop_width = to - from;
}

Raster Decode(const uint8_t* data, size_t size, const std::string& name, const Rect& region) {
  Decoder d;
  ReadHeader(d, data, size, name);
  jpeg_decompress_struct& c = d.cinfo;
  const Rect area = ClipToPhoto(region, static_cast<int>(c.image_width), static_cast<int>(c.image_height));
  if (area.Width() <= 0) return Raster();

  DecodePlan plan;
  ChooseColours(c, plan);
  const PixelFormat format = plan.kept_components == 1 ? PixelFormat::pf8bit : PixelFormat::pf24bit;
  CheckSizeLimit(area.Width(), area.Height(), format, name);
  PlanArea(area, static_cast<int>(c.image_width), plan);
  if (!GuardedStart(&d, &plan)) Invalid(name, d.trap.message);

  Raster raster(area.Width(), area.Height(), format);
  if (format == PixelFormat::pf8bit) raster.SetPalette(GreyPalette());
  plan.out = raster.Bits();
  plan.out_stride = raster.Stride();
  std::vector<uint8_t> scratch;
  // Straight into the raster only when the decoded rows are exactly the kept
  // rows: a region that starts right of column 0 within the margin still
  // decodes whole rows, which are wider than the raster.
  const bool direct = !plan.crop && plan.left == 0 && plan.width == plan.crop_width && !plan.cmyk &&
                      plan.first_row == plan.top;
  if (!direct) {
    scratch.resize(static_cast<size_t>(plan.crop_width) * plan.decoded_components * kRowsPerCall);
    plan.scratch = scratch.data();
  }
  if (!GuardedReadRows(&d, &plan)) Invalid(name, d.trap.message);
  // A region that stops above the last row leaves the rest unread; the
  // decoder's destructor discards it.
  if (plan.bottom == c.output_height && !GuardedFinish(&d)) Invalid(name, d.trap.message);
  return raster;
}

// The APP2 chunks of an ICC profile: "ICC_PROFILE\0", the chunk's number
// (from 1) and the number of chunks, then the chunk's bytes.
constexpr char kIccTag[] = "ICC_PROFILE";
constexpr size_t kIccHeader = sizeof kIccTag + 2;

std::vector<uint8_t> JoinIccChunks(jpeg_saved_marker_ptr markers) {
  std::vector<jpeg_saved_marker_ptr> chunks;
  for (jpeg_saved_marker_ptr m = markers; m != nullptr; m = m->next) {
    if (m->marker != JPEG_APP0 + 2 || m->data_length < kIccHeader) continue;
    if (std::memcmp(m->data, kIccTag, sizeof kIccTag) != 0) continue;
    const unsigned number = m->data[sizeof kIccTag];
    const unsigned count = m->data[sizeof kIccTag + 1];
    if (count == 0 || number == 0 || number > count) return {};
    if (chunks.empty()) chunks.assign(count, nullptr);
    if (chunks.size() != count || chunks[number - 1] != nullptr) return {};
    chunks[number - 1] = m;
  }
  std::vector<uint8_t> profile;
  for (jpeg_saved_marker_ptr m : chunks) {
    if (m == nullptr) return {};
    profile.insert(profile.end(), m->data + kIccHeader, m->data + m->data_length);
  }
  return profile;
}

int MarkerOrientation(jpeg_saved_marker_ptr markers) {
  static const uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
  for (jpeg_saved_marker_ptr m = markers; m != nullptr; m = m->next) {
    if (m->marker == JPEG_APP0 + 1 && m->data_length >= sizeof kExif &&
        std::memcmp(m->data, kExif, sizeof kExif) == 0) {
      return ExifOrientation(m->data, m->data_length);
    }
  }
  return 1;
}

// ---- encoding ----

struct Encoder {
  jpeg_compress_struct cinfo;
  ErrorTrap trap;
  unsigned char* out = nullptr;  // malloc'ed by libjpeg's memory destination
  unsigned long out_size = 0;
  Encoder() {
    std::memset(&cinfo, 0, sizeof cinfo);
    InstallTrap(trap);
    cinfo.err = &trap.manager;
  }
  ~Encoder() {
    jpeg_destroy_compress(&cinfo);
    std::free(out);
  }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;
};

struct EncodeJob {
  int width = 0;
  int height = 0;
  int quality = 90;
  bool progressive = false;
  int bits = 24;  // 24 (BGR rows), 8 or 1 (palette indices, through `grey`)
  const uint8_t* pixels = nullptr;
  size_t stride = 0;
  const uint8_t* grey = nullptr;  // index -> grey level
  uint8_t* scratch = nullptr;     // one grey row
};

void GreyRow(const EncodeJob* job, const uint8_t* src) {
  for (int x = 0; x < job->width; ++x) {
    const int index = job->bits == 8 ? src[x] : (src[x >> 3] >> (7 - (x & 7))) & 1;
    job->scratch[x] = job->grey[index];
  }
}

bool GuardedEncode(Encoder* e, const EncodeJob* job) {
  if (setjmp(e->trap.jump) != 0) return false;
  jpeg_compress_struct* c = &e->cinfo;
  jpeg_create_compress(c);
  jpeg_mem_dest(c, &e->out, &e->out_size);
  c->image_width = static_cast<JDIMENSION>(job->width);
  c->image_height = static_cast<JDIMENSION>(job->height);
  c->input_components = job->bits == 24 ? 3 : 1;
  c->in_color_space = job->bits == 24 ? JCS_EXT_BGR : JCS_GRAYSCALE;
  jpeg_set_defaults(c);
  jpeg_set_quality(c, job->quality, TRUE);
  if (job->progressive) jpeg_simple_progression(c);
  jpeg_start_compress(c, TRUE);
  while (c->next_scanline < c->image_height) {
    const uint8_t* src = job->pixels + c->next_scanline * job->stride;
    // libjpeg takes non-const rows but only reads them.
    JSAMPROW row = const_cast<uint8_t*>(src);
    if (job->bits != 24) {
      GreyRow(job, src);
      row = job->scratch;
    }
    jpeg_write_scanlines(c, &row, 1);
  }
  jpeg_finish_compress(c);
  return true;
}

// Grey level of each palette entry (Rec. 601 luma), for 1- and 8-bit rasters.
std::vector<uint8_t> GreyLevels(const Raster& raster) {
  std::vector<uint8_t> levels(256, 0);
  const std::vector<Color>& palette = raster.Palette();
  for (size_t i = 0; i < palette.size() && i < levels.size(); ++i) {
    const Color c = palette[i];
    levels[i] = static_cast<uint8_t>((299 * c.r + 587 * c.g + 114 * c.b + 500) / 1000);
  }
  if (raster.Format() == PixelFormat::pf1bit && palette.size() < 2) levels[1] = 255;
  return levels;
}

}  // namespace

bool LooksLikeJpeg(const uint8_t* data, size_t size) {
  return data != nullptr && size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

JpegInfo ReadJpegInfo(const uint8_t* data, size_t size, const std::string& name) {
  Decoder d;
  ReadHeader(d, data, size, name);
  return JpegInfo{static_cast<int>(d.cinfo.image_width), static_cast<int>(d.cinfo.image_height),
                  d.cinfo.num_components};
}

void CheckJpegSize(const JpegInfo& info, const std::string& name) {
  CheckSizeLimit(info.width, info.height, info.components == 1 ? PixelFormat::pf8bit : PixelFormat::pf24bit,
                 name);
}

Raster DecodeJpeg(const uint8_t* data, size_t size, const std::string& name) {
  return Decode(data, size, name, Rect{0, 0, INT32_MAX, INT32_MAX});
}

Raster DecodeJpegRegion(const uint8_t* data, size_t size, const std::string& name, const Rect& region) {
  return Decode(data, size, name, region);
}

JpegMarkers ReadJpegMarkers(const uint8_t* data, size_t size, const std::string& name) {
  Decoder d;
  ReadHeader(d, data, size, name, true);
  return JpegMarkers{MarkerOrientation(d.cinfo.marker_list), JoinIccChunks(d.cinfo.marker_list)};
}

StoredPhoto DecodeJpegPhoto(const uint8_t* data, size_t size, const std::string& name) {
  JpegMarkers markers = ReadJpegMarkers(data, size, name);
  return StoredPhoto{DecodeJpeg(data, size, name), std::move(markers.icc_profile), markers.orientation};
}

Raster LoadJpegFile(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path);
  return DecodeJpeg(bytes.data(), bytes.size(), path);
}

std::vector<uint8_t> EncodeJpeg(const Raster& raster, int quality, bool progressive) {
  EncodeJob job;
  job.width = raster.Width();
  job.height = raster.Height();
  job.quality = std::clamp(quality, 1, 100);
  job.progressive = progressive;
  job.bits = BitsPerPixel(raster.Format());
  job.pixels = raster.Bits();
  job.stride = raster.Stride();
  const std::vector<uint8_t> grey = GreyLevels(raster);
  std::vector<uint8_t> scratch(static_cast<size_t>(std::max(job.width, 1)));
  job.grey = grey.data();
  job.scratch = scratch.data();
  Encoder e;
  if (!GuardedEncode(&e, &job)) throw Error(std::string("JPEG image cannot be written: ") + e.trap.message);
  return std::vector<uint8_t>(e.out, e.out + e.out_size);
}

}  // namespace lenti
