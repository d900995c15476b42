// A printer for the delivery tests whose set-up can be changed by the
// dialog; it records the job and keeps every raster it is given.
#pragma once

#include <string>
#include <vector>

#include "core/error.h"
#include "delivery/printer_port.h"

namespace lenti::testing {

class FakePrinter : public PrinterPort {
 public:
  struct Settings {
    int dpi = 600;
    int width = 4800;
    int height = 6600;
  };
  Settings defaults;
  Settings current;
  std::vector<std::string> calls;
  std::vector<Rect> drawn_rects;
  std::vector<Raster> drawn;
  std::vector<PageMarks> marks;
  bool fail_begin = false;
  bool fail_draw = false;
  bool writes_file = false;

  void SelectDefaultPrinter() override {
    calls.push_back("select");
    current = defaults;
  }
  int PageWidth() const override { return current.width; }
  int PageHeight() const override { return current.height; }
  int DpiX() const override { return current.dpi; }
  bool WritesFile() const override { return writes_file; }
  void UseFileResolution(int) override { calls.push_back("file dpi"); }
  bool BeginDoc() override {
    calls.push_back("begin");
    if (fail_begin) throw Error("The printer is out of paper");
    return true;
  }
  void StretchDraw(const Rect& dest, const Raster& raster) override {
    calls.push_back("draw");
    if (fail_draw) throw Error("The printer's memory is full");
    drawn_rects.push_back(dest);
    drawn.push_back(raster);
  }
  void DrawMarks(const PageMarks& page_marks) override {
    calls.push_back("marks");
    marks.push_back(page_marks);
  }
  void EndDoc() override { calls.push_back("end"); }
  void Abort() override { calls.push_back("abort"); }
  std::string WrittenFile() const override { return {}; }
  void SetJobTitle(const std::string& title) override { job_title = title; }
  std::string job_title;
};

}  // namespace lenti::testing
