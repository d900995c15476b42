// A one-page PDF 1.4 file as a printer: every StretchDraw becomes an image
// XObject placed with a `cm` at its destination rectangle. The samples are
// written uncompressed (no zlib here), so a 1698 x 2049 picture takes 10 MB;
// 1- and 8-bit rasters keep their depth as /Indexed images.
#include "delivery/pdf_printer.h"

#include <charconv>
#include <cstdio>
#include <strings.h>
#include <utility>

#include "core/error.h"
#include "core/file_io.h"
#include "core/numerics.h"
#include "core/rgb_order.h"

namespace lenti {
namespace {

constexpr Extended kMmPerInch = 25.4L;
constexpr Extended kPointsPerInch = 72;

// A number as PDF writes it: fixed notation, no exponent, "." whatever the
// process locale (the desktop program sets the user's locale).
std::string Num(Extended value) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, static_cast<double>(value),
                                 std::chars_format::fixed, 4);
  if (ec != std::errc()) return "0";
  std::string text(buf, end);
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text == "-0" ? "0" : text;
}

// The file being written, counting its bytes for the xref offsets; every
// failure is "Cannot create file" naming the target.
class PdfWriter {
 public:
  PdfWriter(const std::string& temp_path, const std::string& target) : out_(temp_path, target) {}
  void Write(const void* data, size_t size) {
    out_.Write(data, size);
    offset_ += size;
  }
  void Write(const std::string& text) { Write(text.data(), text.size()); }
  uint64_t Offset() const { return offset_; }
  void Close() { out_.Close(); }

 private:
  FileWriter out_;
  uint64_t offset_ = 0;
};

// The colour space entry and sample depth of a raster.
struct SampleLayout {
  std::string color_space;
  int bits = 8;
  size_t row_bytes = 0;
};

std::string IndexedColorSpace(const std::vector<Color>& palette) {
  static const char* kHex = "0123456789ABCDEF";
  std::string hex;
  for (const Color& c : palette) {
    for (uint8_t v : {c.r, c.g, c.b}) {
      hex += kHex[v >> 4];
      hex += kHex[v & 15];
    }
  }
  return "[/Indexed /DeviceRGB " + std::to_string(palette.size() - 1) + " <" + hex + ">]";
}

SampleLayout LayoutOf(const Raster& raster) {
  const size_t w = static_cast<size_t>(raster.Width());
  switch (raster.Format()) {
    case PixelFormat::pf24bit:
      return {"/DeviceRGB", 8, w * 3};
    case PixelFormat::pf8bit:
      if (raster.Palette().empty()) return {"/DeviceGray", 8, w};
      return {IndexedColorSpace(raster.Palette()), 8, w};
    case PixelFormat::pf1bit:
      // No palette: index 0 black, 1 white, which is what DeviceGray means.
      if (raster.Palette().empty()) return {"/DeviceGray", 1, (w + 7) / 8};
      return {IndexedColorSpace(raster.Palette()), 1, (w + 7) / 8};
  }
  return {};
}

// The rows top first; 24-bit rows turn from BGR to RGB, the others are
// the raster's own bytes without the padding to 4 bytes.
void WriteSamples(PdfWriter& out, const Raster& raster, size_t row_bytes) {
  std::vector<uint8_t> row(row_bytes);
  for (int y = 0; y < raster.Height(); ++y) {
    const uint8_t* src = raster.Row(y);
    if (raster.Format() == PixelFormat::pf24bit) {
      SwapRedAndBlue(src, row.data(), row_bytes / 3);
      out.Write(row.data(), row_bytes);
    } else {
      out.Write(src, row_bytes);
    }
  }
}

std::string BoxText(const PdfBox& box) {
  return "[" + Num(box.left) + " " + Num(box.bottom) + " " + Num(box.right) + " " + Num(box.top) + "]";
}

}  // namespace

PageSize PageSizeByName(const std::string& name) {
  static const std::pair<const char*, PageSize> kPages[] = {
      {"A4", {210, 297}}, {"A3", {297, 420}}, {"Letter", {215.9, 279.4}}};
  for (const auto& [page_name, size] : kPages) {
    if (strcasecmp(page_name, name.c_str()) == 0) return size;
  }
  throw Error(Format("Unknown page size \"%s\" (A4, A3 or Letter)", name.c_str()));
}

PdfPrinter::PdfPrinter(std::string path, PageSize page, int dpi)
    : path_(std::move(path)), page_(page), dpi_(dpi) {
  if (dpi_ < 1) throw Error(Format("The printer resolution must be at least 1 dpi, not %d", dpi_));
  if (!(page_.width_mm > 0) || !(page_.height_mm > 0)) throw Error("The page size must not be empty");
}

int PdfPrinter::PageWidth() const {
  return static_cast<int>(Round(static_cast<Extended>(page_.width_mm) / kMmPerInch * dpi_));
}

int PdfPrinter::PageHeight() const {
  return static_cast<int>(Round(static_cast<Extended>(page_.height_mm) / kMmPerInch * dpi_));
}

void PdfPrinter::UseFileResolution(int dpi) {
  if (dpi >= 1) dpi_ = dpi;
}

bool PdfPrinter::BeginDoc() {
  placed_.clear();
  written_.clear();
  return true;
}

void PdfPrinter::StretchDraw(const Rect& dest, const Raster& raster) {
  // An empty rectangle or raster puts nothing on paper (and a zero scale in
  // a `cm` would make the page unreadable for some viewers).
  if (dest.Width() <= 0 || dest.Height() <= 0 || raster.Empty()) return;
  placed_.push_back(Placed{dest, raster});
}

void PdfPrinter::EndDoc() {
  const Extended to_points = kPointsPerInch / dpi_;
  const Extended page_w = static_cast<Extended>(page_.width_mm) / kMmPerInch * kPointsPerInch;
  const Extended page_h = static_cast<Extended>(page_.height_mm) / kMmPerInch * kPointsPerInch;

  // Objects: 1 catalog, 2 pages, 3 page, 4 contents, 5.. one per image.
  std::string content;
  std::string xobjects;
  for (size_t i = 0; i < placed_.size(); ++i) {
    const Rect& d = placed_[i].dest;
    if (press_) {
      // A press page: the picture over its bleed box, at its exact size.
      const PdfBox& b = press_->bleed;
      content += "q " + Num(b.Width()) + " 0 0 " + Num(b.Height()) + " " + Num(b.left) + " " + Num(b.bottom) +
                 " cm /Im" + std::to_string(i) + " Do Q\n";
    } else {
      // Device pixels count down from the top; PDF points count up from the bottom.
      content += "q " + Num(d.Width() * to_points) + " 0 0 " + Num(d.Height() * to_points) + " " +
                 Num(d.left * to_points) + " " + Num(page_h - d.bottom * to_points) + " cm /Im" +
                 std::to_string(i) + " Do Q\n";
    }
    xobjects += " /Im" + std::to_string(i) + " " + std::to_string(5 + i) + " 0 R";
  }
  std::string boxes = "/MediaBox [0 0 " + Num(page_w) + " " + Num(page_h) + "]";
  std::string fonts;
  if (press_) {
    content += press_->marks;
    boxes = "/MediaBox [0 0 " + Num(press_->media_width) + " " + Num(press_->media_height) + "] /BleedBox " +
            BoxText(press_->bleed) + " /TrimBox " + BoxText(press_->trim);
    // The standard font needs no embedding; its object follows the images.
    if (press_->uses_font) fonts = " /Font << /F1 " + std::to_string(5 + placed_.size()) + " 0 R >>";
  }

  AtomicFile file(path_);
  PdfWriter out(file.TempPath(), path_);
  std::vector<uint64_t> offsets;
  auto begin_object = [&] {
    offsets.push_back(out.Offset());
    out.Write(std::to_string(offsets.size()) + " 0 obj\n");
  };

  out.Write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
  begin_object();
  out.Write("<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");
  begin_object();
  out.Write("<< /Type /Pages /Kids [3 0 R] /Count 1 >>\nendobj\n");
  begin_object();
  out.Write("<< /Type /Page /Parent 2 0 R " + boxes + " /Resources << /XObject <<" + xobjects + " >>" + fonts +
            " >> /Contents 4 0 R >>\nendobj\n");
  begin_object();
  out.Write("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
            "endstream\nendobj\n");
  for (const Placed& placed : placed_) {
    const Raster& r = placed.raster;
    const SampleLayout layout = LayoutOf(r);
    begin_object();
    out.Write("<< /Type /XObject /Subtype /Image /Width " + std::to_string(r.Width()) +
              " /Height " + std::to_string(r.Height()) + " /ColorSpace " + layout.color_space +
              " /BitsPerComponent " + std::to_string(layout.bits) +
              " /Interpolate false /Length " +
              std::to_string(layout.row_bytes * static_cast<size_t>(r.Height())) +
              " >>\nstream\n");
    WriteSamples(out, r, layout.row_bytes);
    out.Write("\nendstream\nendobj\n");
  }
  if (!fonts.empty()) {
    begin_object();
    out.Write("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>\nendobj\n");
  }

  const uint64_t xref = out.Offset();
  out.Write("xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n");
  for (uint64_t offset : offsets) {
    char entry[32];
    std::snprintf(entry, sizeof entry, "%010llu 00000 n \n", static_cast<unsigned long long>(offset));
    out.Write(entry);
  }
  out.Write("trailer\n<< /Size " + std::to_string(offsets.size() + 1) +
            " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n");
  out.Close();
  file.Commit();
  placed_.clear();
  written_ = path_;
}

}  // namespace lenti
