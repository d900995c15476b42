#include "core/png_reader.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "core/error.h"
#include "core/png_callbacks.h"

namespace lenti {
namespace {

// libpng's own buffers for one ancillary chunk (an iCCP profile inflated,
// a text chunk): beyond this it drops the chunk with a warning.
constexpr png_alloc_size_t kMaxChunkBytes = png_alloc_size_t{32} << 20;

// The bytes libpng reads from and the text of its last error.
struct ReadContext {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t at = 0;
  char message[256] = {};
};

void ReadBytes(png_structp png, png_bytep out, size_t count) {
  auto* context = static_cast<ReadContext*>(png_get_io_ptr(png));
  if (context->size - context->at < count) png_error(png, "the file ends early");
  std::memcpy(out, context->data + context->at, count);
  context->at += count;
}

struct Decoder {
  ReadContext context;
  png_structp png = nullptr;
  png_infop info = nullptr;
  Decoder() = default;
  ~Decoder() { png_destroy_read_struct(&png, &info, nullptr); }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
};

// The photo as libpng delivers it after the transformations set up below.
// Trivially destructible: it lives across the setjmp frames.
struct Layout {
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int channels = 0;  // 1 grey, 2 grey + alpha, 3 BGR, 4 BGR + alpha
  int passes = 1;    // 7 for an interlaced photo
  const uint8_t* icc = nullptr;  // the iCCP profile, owned by libpng's info
  png_uint_32 icc_size = 0;
};

// Each Guarded* function holds the setjmp of one libpng phase and returns
// false when libpng raised an error; nothing with a destructor lives there.
bool GuardedReadInfo(Decoder* d, Layout* layout) {
  if (setjmp(png_jmpbuf(d->png)) != 0) return false;
  png_set_read_fn(d->png, &d->context, ReadBytes);
  // The size is checked by the caller against the raster limit.
  png_set_user_limits(d->png, PNG_USER_WIDTH_MAX, PNG_USER_HEIGHT_MAX);
  png_set_chunk_malloc_max(d->png, kMaxChunkBytes);
  png_read_info(d->png, d->info);
  const png_byte type = png_get_color_type(d->png, d->info);
  const png_byte depth = png_get_bit_depth(d->png, d->info);
  if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(d->png);
  if ((type & PNG_COLOR_MASK_COLOR) == 0 && depth < 8) png_set_expand_gray_1_2_4_to_8(d->png);
  if (png_get_valid(d->png, d->info, PNG_INFO_tRNS) != 0) png_set_tRNS_to_alpha(d->png);
  if (depth == 16) png_set_scale_16(d->png);
  png_set_bgr(d->png);
  layout->passes = png_set_interlace_handling(d->png);
  png_read_update_info(d->png, d->info);
  layout->width = png_get_image_width(d->png, d->info);
  layout->height = png_get_image_height(d->png, d->info);
  layout->channels = png_get_channels(d->png, d->info);
  png_charp icc_name = nullptr;
  int compression = 0;
  png_bytep profile = nullptr;
  png_uint_32 profile_size = 0;
  if (png_get_iCCP(d->png, d->info, &icc_name, &compression, &profile, &profile_size) != 0) {
    layout->icc = profile;
    layout->icc_size = profile_size;
  }
  return true;
}

// Reads the whole photo into `rows` (one pointer a row, each row
// width x channels bytes), every pass of an interlaced one.
bool GuardedReadImage(Decoder* d, png_bytepp rows) {
  if (setjmp(png_jmpbuf(d->png)) != 0) return false;
  png_read_image(d->png, rows);
  return true;
}

// Reads the next row of a photo that is not interlaced.
bool GuardedReadRow(Decoder* d, png_bytep row) {
  if (setjmp(png_jmpbuf(d->png)) != 0) return false;
  png_read_row(d->png, row, nullptr);
  return true;
}

// The chunks after the pixels up to IEND, their CRCs checked.
bool GuardedReadEnd(Decoder* d) {
  if (setjmp(png_jmpbuf(d->png)) != 0) return false;
  png_read_end(d->png, nullptr);
  return true;
}

// A colour with its alpha on white: c x a + 255 x (255 - a), rounded.
void CompositeOnWhite(const uint8_t* src, uint8_t* dst, png_uint_32 width, int colours) {
  const int step = colours + 1;
  for (png_uint_32 x = 0; x < width; ++x) {
    const uint8_t* p = src + static_cast<size_t>(x) * step;
    const unsigned a = p[colours];
    for (int c = 0; c < colours; ++c) {
      dst[static_cast<size_t>(x) * colours + c] = static_cast<uint8_t>((p[c] * a + 255u * (255u - a) + 127u) / 255u);
    }
  }
}

[[noreturn]] void Invalid(const std::string& name, const char* message) {
  throw Error("PNG image is not valid: " + name + ": " + message);
}

}  // namespace

bool LooksLikePng(const uint8_t* data, size_t size) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return data != nullptr && size >= sizeof kSignature && std::memcmp(data, kSignature, sizeof kSignature) == 0;
}

StoredPhoto DecodePng(const uint8_t* data, size_t size, const std::string& name) {
  Decoder d;
  d.context.data = data;
  d.context.size = data == nullptr ? 0 : size;
  d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &d.context, KeepPngErrorAndJump<ReadContext>, IgnorePngWarning);
  if (d.png == nullptr) throw OutOfMemory();
  d.info = png_create_info_struct(d.png);
  if (d.info == nullptr) throw OutOfMemory();
  if (!LooksLikePng(data, size)) Invalid(name, "not a PNG signature");
  Layout layout;
  if (!GuardedReadInfo(&d, &layout)) Invalid(name, d.context.message);

  const int colours = layout.channels <= 2 ? 1 : 3;
  const bool alpha = layout.channels == 2 || layout.channels == 4;
  const PixelFormat format = colours == 1 ? PixelFormat::pf8bit : PixelFormat::pf24bit;
  CheckPhotoSize("PNG", layout.width, layout.height, format, name);
  const size_t decoded_stride = static_cast<size_t>(layout.width) * layout.channels;
  if (alpha && layout.passes > 1) {
    // Every pass lands in a buffer of the whole decoded photo.
    if (decoded_stride * layout.height > kMaxRasterBytes) PhotoTooLarge("PNG", layout.width, layout.height, name);
  }

  StoredPhoto photo;
  photo.pixels = Raster::ForFilling(static_cast<int>(layout.width), static_cast<int>(layout.height), format);
  Raster& raster = photo.pixels;
  if (colours == 1) raster.SetPalette(GreyPalette());
  const int height = static_cast<int>(layout.height);
  if (!alpha) {
    std::vector<png_bytep> rows(layout.height);
    for (int y = 0; y < height; ++y) rows[static_cast<size_t>(y)] = raster.Row(y);
    if (!GuardedReadImage(&d, rows.data())) Invalid(name, d.context.message);
  } else if (layout.passes == 1) {
    std::vector<uint8_t> decoded(decoded_stride);
    for (int y = 0; y < height; ++y) {
      if (!GuardedReadRow(&d, decoded.data())) Invalid(name, d.context.message);
      CompositeOnWhite(decoded.data(), raster.Row(y), layout.width, colours);
    }
  } else {
    std::vector<uint8_t> decoded(decoded_stride * layout.height);
    std::vector<png_bytep> rows(layout.height);
    for (int y = 0; y < height; ++y) rows[static_cast<size_t>(y)] = decoded.data() + decoded_stride * y;
    if (!GuardedReadImage(&d, rows.data())) Invalid(name, d.context.message);
    for (int y = 0; y < height; ++y) {
      CompositeOnWhite(rows[static_cast<size_t>(y)], raster.Row(y), layout.width, colours);
    }
  }
  if (!GuardedReadEnd(&d)) Invalid(name, d.context.message);
  if (layout.icc != nullptr) photo.icc_profile.assign(layout.icc, layout.icc + layout.icc_size);
  return photo;
}

}  // namespace lenti
