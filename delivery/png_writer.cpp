#include "delivery/png_writer.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <exception>
#include <vector>

#include "core/error.h"
#include "core/png_callbacks.h"
#include "core/file_io.h"
#include "core/numerics.h"
#include "delivery/raster_rows.h"

namespace lenti {
namespace {

// What libpng's callbacks leave behind: its error text, or the exception a
// write into the file raised (kept here, as it must not cross libpng's C
// frames).
struct WriteContext {
  FileWriter* file = nullptr;
  std::exception_ptr write_error;
  char message[256] = {};
};

void WriteBytes(png_structp png, png_bytep data, size_t size) {
  auto* context = static_cast<WriteContext*>(png_get_io_ptr(png));
  try {
    context->file->Write(data, size);
  } catch (...) {
    context->write_error = std::current_exception();
    png_error(png, "write failed");
  }
}

void FlushNothing(png_structp) {}

struct Encoder {
  png_structp png = nullptr;
  png_infop info = nullptr;
  Encoder() = default;
  ~Encoder() { png_destroy_write_struct(&png, &info); }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;
};

struct EncodeJob {
  const FileRows* rows = nullptr;
  uint32_t ppm = 0;
  uint8_t* row = nullptr;  // one file row
};

// Holds the setjmp of the whole encode; nothing here has a destructor.
bool GuardedEncode(Encoder* e, const EncodeJob* job) {
  if (setjmp(png_jmpbuf(e->png)) != 0) return false;
  const FileRows& rows = *job->rows;
  const bool bilevel = rows.bits == 1;
  png_set_IHDR(e->png, e->info, static_cast<png_uint_32>(rows.width), static_cast<png_uint_32>(rows.height),
               bilevel ? 1 : 8, bilevel ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_pHYs(e->png, e->info, job->ppm, job->ppm, PNG_RESOLUTION_METER);
  png_write_info(e->png, e->info);
  for (int y = 0; y < rows.height; ++y) {
    rows.CopyRgbRow(y, job->row);
    png_write_row(e->png, job->row);
  }
  png_write_end(e->png, e->info);
  return true;
}

}  // namespace

uint32_t DpiToPngPixelsPerMetre(double dpi) {
  // dpi / 0.0254 = dpi x 10000 / 254, without the inexact 0.0254.
  const int64_t ppm = Round(static_cast<Extended>(dpi) * 10000 / 254);
  if (ppm <= 0 || ppm > INT32_MAX) throw InvalidFloatOperation();
  return static_cast<uint32_t>(ppm);
}

void WritePngFile(const Raster& raster, const std::string& path, const std::string& shown_name,
                  double dpi) {
  EncodeJob job;
  job.ppm = DpiToPngPixelsPerMetre(dpi);  // refused before any file is made
  const FileRows rows(raster);
  job.rows = &rows;
  std::vector<uint8_t> row(std::max<size_t>(rows.FileRowBytes(), 1));
  job.row = row.data();

  FileWriter file(path, shown_name);
  WriteContext context;
  context.file = &file;
  Encoder e;
  e.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &context, KeepPngErrorAndJump<WriteContext>, IgnorePngWarning);
  if (e.png != nullptr) e.info = png_create_info_struct(e.png);
  if (e.png == nullptr || e.info == nullptr) throw OutOfMemory();
  png_set_write_fn(e.png, &context, WriteBytes, FlushNothing);
  if (!GuardedEncode(&e, &job)) {
    if (context.write_error) std::rethrow_exception(context.write_error);
    throw CannotCreateFile(shown_name, std::string("PNG encoder: ") + context.message);
  }
  file.Close();
}

}  // namespace lenti
