// The slot commands: what an import puts into a slot (working file, slot
// file, thumbnail, frame count, strip width, rectangle, selection), and that
// a cancelled, refused or failed import leaves the slot exactly as it was.
#include "intake/slots.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <map>
#include <ostream>
#include <fstream>
#include <string>
#include <vector>

#include "core/bmp_reader.h"
#include "core/bmp_writer.h"
#include "core/error.h"
#include "core/file_io.h"
#include "core/jpeg.h"
#include "core/work_dir.h"
#include "cancel_after_steps.h"
#include "fake_frontend.h"
#include "import_to_end.h"
#include "intake/import_work.h"
#include "temp_dir.h"
#include "intake/crop_frame.h"

namespace lenti {
namespace {

namespace fs = std::filesystem;
using testing::FakeFrontend;

// ---- photos made for the test ----

// A colour gradient: red grows to the right, green downwards.
Raster Gradient(int w, int h) {
  Raster r(w, h);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = r.Row(y);
    for (int x = 0; x < w; ++x) {
      row[3 * x + 0] = 128;
      row[3 * x + 1] = static_cast<uint8_t>(y * 255 / h);
      row[3 * x + 2] = static_cast<uint8_t>(x * 255 / w);
    }
  }
  return r;
}

Raster GreyGradient(int w, int h) {
  Raster r(w, h, PixelFormat::pf8bit);
  r.SetPalette(GreyPalette());
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) r.Row(y)[x] = static_cast<uint8_t>((x + y) * 255 / (w + h));
  }
  return r;
}

// Left half red, right half blue.
Raster TwoHalves(int w, int h) {
  Raster r(w, h);
  r.FillRect(Rect{0, 0, w / 2, h}, kRed);
  r.FillRect(Rect{w / 2, 0, w, h}, Color{0, 0, 255});
  return r;
}

bool SameRaster(const Raster& a, const Raster& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.Format() != b.Format()) return false;
  if (a.Palette() != b.Palette()) return false;
  // Whole bytes of pixels only: the padding at the end of a row is no pixel.
  const size_t used = static_cast<size_t>(a.Width()) * BitsPerPixel(a.Format()) / 8;
  for (int y = 0; y < a.Height(); ++y) {
    if (std::memcmp(a.Row(y), b.Row(y), used) != 0) return false;
  }
  return true;
}

std::vector<uint8_t> Bytes(const std::string& path) { return ReadWholeFile(path); }

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class SlotsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    work = dir + "/work";
    fs::create_directory(work);
  }

  std::string Jpeg(const std::string& name, const Raster& photo) {
    const std::string path = dir + "/" + name;
    WriteBytes(path, EncodeJpeg(photo, 90));
    return path;
  }
  std::string Bmp(const std::string& name, const Raster& photo) {
    const std::string path = dir + "/" + name;
    SaveBmpFile(photo, path);
    return path;
  }
  std::string File(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir + "/" + name;
    WriteBytes(path, bytes);
    return path;
  }
  void Import(int slot, const std::string& answer) {
    fe.open_answers.push_back(answer);
    ImportIntoSlotToEnd(state, fe, fe, work, slot);
  }

  lenti::testing::TempDir temp{"intake_test"};
  std::string dir = temp.path().string(), work;
  FakeFrontend fe;
  MakerState state;
};

// Everything an import may change, to show that a refused one changed nothing.
struct SlotSnapshot {
  std::array<std::string, kSlotCount> files;
  int32_t frame_count, strip_width;
  uint8_t current;
  std::array<CropRecord, kSlotCount> rects;
  std::array<int64_t, kSlotCount> scales;
  std::map<int, Raster> thumbnails;
  Raster view;
  Rect crop;

  SlotSnapshot(const MakerState& s, const FakeFrontend& fe)
      : files(s.photos.SlotFiles), frame_count(s.photos.FrameCount), strip_width(s.photos.StripWidth),
        current(s.photos.CurrentSlot), rects(s.photos.CropRects), scales(s.photos.CropScales),
        thumbnails(fe.thumbnails), view(fe.view.Graphic()), crop(fe.shown_crop) {}

  void ExpectUnchanged(const MakerState& s, const FakeFrontend& fe) const {
    EXPECT_EQ(s.photos.SlotFiles, files);
    EXPECT_EQ(s.photos.FrameCount, frame_count);
    EXPECT_EQ(s.photos.StripWidth, strip_width);
    EXPECT_EQ(s.photos.CurrentSlot, current);
    EXPECT_EQ(s.photos.CropRects, rects);
    EXPECT_EQ(s.photos.CropScales, scales);
    EXPECT_EQ(fe.shown_crop, crop);
    EXPECT_TRUE(SameRaster(fe.view.Graphic(), view));
    ASSERT_EQ(fe.thumbnails.size(), thumbnails.size());
    for (const auto& [slot, thumb] : thumbnails) {
      EXPECT_TRUE(SameRaster(fe.thumbnails.at(slot), thumb)) << "thumbnail " << slot;
    }
  }
};

// ---- frame count and strip width ----

struct CountCase {
  const char* name;
  int32_t start_frame_count;
  std::vector<int> slots;
  int32_t frame_count;
  int32_t strip_width;
};

const CountCase kCountCases[] = {
    {"SlotsOneAndTwoLeaveThemAlone", 2, {1, 2}, 2, 9},
    {"SlotFiveRaisesToFive", 2, {1, 2, 5}, 5, 2},
    {"SlotThree", 2, {3}, 3, 4},
    {"SlotFour", 2, {4}, 4, 3},
    {"SlotSixteen", 2, {16}, 16, 1},
    {"NeverLowered", 2, {5, 3}, 5, 2},
    // FrameCount stays 8, the strip width is recomputed: 250 / 8 / 21.25 -> 1.
    {"SlotThreeWhenEight", 8, {3}, 8, 1},
};

class CountTable : public SlotsTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(CountTable, FrameCountAndStripWidthAfterImports) {
  const CountCase& c = GetParam();
  const std::string photo = Bmp("p.bmp", Gradient(40, 30));
  state.photos.FrameCount = c.start_frame_count;
  state.photos.StripWidth = 9;  // what slots 1 and 2 leave alone
  for (int slot : c.slots) Import(slot, photo);
  EXPECT_EQ(state.photos.FrameCount, c.frame_count);
  EXPECT_EQ(state.photos.StripWidth, c.strip_width);
  EXPECT_EQ(state.photos.CurrentSlot, c.slots.back() - 1);
}

INSTANTIATE_TEST_SUITE_P(Imports, CountTable, ::testing::ValuesIn(kCountCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- what a good import stores ----

TEST_F(SlotsTest, JpegBecomesTheWorkingFileAtFullSize) {
  const std::string chosen = Jpeg("photo.jpg", Gradient(47, 33));
  Import(2, chosen);
  const std::string working = PhotoWorkFile(work, 2);
  EXPECT_EQ(state.photos.SlotFiles[1], working);
  const Raster saved = LoadBmpFile(working);
  EXPECT_EQ(saved.Format(), PixelFormat::pf24bit);
  const std::vector<uint8_t> jpeg = Bytes(chosen);
  EXPECT_TRUE(SameRaster(saved, DecodeJpeg(jpeg.data(), jpeg.size(), chosen)));
  EXPECT_TRUE(SameRaster(fe.view.Graphic(), saved)) << "the view shows the working file's photo";
  EXPECT_TRUE(fe.messages.empty());
}

TEST_F(SlotsTest, GreyJpegBecomesAnEightBitGreyWorkingFile) {
  Import(1, Jpeg("grey.JPG", GreyGradient(47, 33)));
  const Raster saved = LoadBmpFile(PhotoWorkFile(work, 1));
  EXPECT_EQ(saved.Format(), PixelFormat::pf8bit);
  EXPECT_EQ(saved.Width(), 47);
  EXPECT_EQ(saved.Height(), 33);
  EXPECT_EQ(saved.Palette(), GreyPalette());
}

TEST_F(SlotsTest, BmpIsUsedWhereItLies) {
  const std::string chosen = Bmp("photo.bmp", Gradient(47, 33));
  Import(4, chosen);
  EXPECT_EQ(state.photos.SlotFiles[3], chosen);
  EXPECT_FALSE(fs::exists(PhotoWorkFile(work, 4)));
  EXPECT_TRUE(SameRaster(fe.view.Graphic(), LoadBmpFile(chosen)));
}

TEST_F(SlotsTest, ImportFramesTheNewPhoto) {
  state.mode = Mode::LandscapeColumns;
  Import(1, Bmp("wide.bmp", Gradient(1600, 1200)));
  EXPECT_EQ(state.photos.CurrentSlot, 0);
  EXPECT_EQ(state.photos.CropRects[0], (CropRecord{28, 75, 563, 518, 0, 75, true}));
  EXPECT_EQ(state.photos.CropScales[0], 27073);
  EXPECT_TRUE(fe.crop_visible);
}

TEST_F(SlotsTest, ThumbnailIsTheWholePhotoSqueezed) {
  // 400 x 100 (4:1) fills all of 65 x 57: red left, blue right, no margin.
  Import(1, Bmp("wide.bmp", TwoHalves(400, 100)));
  const Raster& thumb = fe.thumbnails.at(1);
  EXPECT_EQ(thumb.Width(), kThumbnailWidth);
  EXPECT_EQ(thumb.Height(), kThumbnailHeight);
  for (int y : {0, 28, 56}) {
    EXPECT_EQ(thumb.PixelColor(0, y), kRed);
    EXPECT_EQ(thumb.PixelColor(31, y), kRed);
    EXPECT_EQ(thumb.PixelColor(34, y), (Color{0, 0, 255}));
    EXPECT_EQ(thumb.PixelColor(64, y), (Color{0, 0, 255}));
  }
}

TEST_F(SlotsTest, ReimportReplacesPhotoThumbnailAndRectangle) {
  const std::string first = Jpeg("first.jpg", TwoHalves(1600, 1200));
  Import(3, first);
  CropMouseDown(state, fe, 10, 10);
  CropMouseMove(state, fe, 30, 30);
  CropMouseUp(state);
  const Raster first_thumb = fe.thumbnails.at(3);
  const std::vector<uint8_t> first_work = Bytes(PhotoWorkFile(work, 3));

  Import(3, Jpeg("second.jpg", Gradient(1200, 1600)));
  EXPECT_EQ(fe.view.Width(), 1200);
  EXPECT_EQ(fe.view.Height(), 1600);
  EXPECT_NE(Bytes(PhotoWorkFile(work, 3)), first_work);
  EXPECT_FALSE(SameRaster(fe.thumbnails.at(3), first_thumb));
  EXPECT_EQ(state.photos.CropRects[2], (CropRecord{73, 28, 518, 565, 73, 0, true}));
}

// ---- photos are recognised by their content (any spelling of the extension) ----

enum class Content { Jpeg, Bmp };

struct NameCase {
  const char* name;
  const char* file;
  Content content;
};

const NameCase kNameCases[] = {
    {"jpg", "a.jpg", Content::Jpeg},         {"JPG", "a.JPG", Content::Jpeg},
    {"jpeg", "a.jpeg", Content::Jpeg},       {"Jpg", "a.Jpg", Content::Jpeg},
    {"JPEG", "a.JPEG", Content::Jpeg},       {"bmp", "a.bmp", Content::Bmp},
    {"BMP", "a.BMP", Content::Bmp},          {"Bmp", "a.Bmp", Content::Bmp},
    {"JpegNamedBmp", "a.bmp", Content::Jpeg}, {"BmpNamedJpg", "a.jpg", Content::Bmp},
    {"JpegWithoutDot", "photo", Content::Jpeg}, {"BmpWithoutDot", "photo", Content::Bmp},
    {"BmpNamedPng", "a.png", Content::Bmp},
};

class NameTable : public SlotsTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(NameTable, ImportsAndShowsThePhoto) {
  const NameCase& c = GetParam();
  const Raster photo = Gradient(47, 33);
  const std::string chosen = c.content == Content::Jpeg ? Jpeg(c.file, photo) : Bmp(c.file, photo);
  Import(1, chosen);
  EXPECT_TRUE(fe.messages.empty());
  EXPECT_EQ(state.photos.SlotFiles[0], c.content == Content::Jpeg ? PhotoWorkFile(work, 1) : chosen);
  EXPECT_EQ(fe.thumbnails.count(1), 1u);
  EXPECT_EQ(fe.view.Width(), 47);

  // Selecting the slot later reads the slot file again, whatever its name.
  fe.view = Picture();
  SelectSlot(state, fe, 1);
  EXPECT_EQ(fe.view.Width(), 47);
  EXPECT_EQ(fe.view.Height(), 33);
}

INSTANTIATE_TEST_SUITE_P(Names, NameTable, ::testing::ValuesIn(kNameCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- cancelled, refused and failed imports change nothing ----

// A slot filled and framed by hand, and a second slot current, so that any
// change to the slot, the counts or the selection shows.
class UnchangedTest : public SlotsTest {
 protected:
  void SetUp() override {
    SlotsTest::SetUp();
    Import(5, Jpeg("before.jpg", Gradient(160, 120)));
    CropMouseDown(state, fe, 5, 5);
    CropMouseMove(state, fe, 25, 15);
    CropMouseUp(state);
    Import(2, Bmp("other.bmp", Gradient(120, 160)));
    working_before = Bytes(PhotoWorkFile(work, 5));
  }
  std::vector<uint8_t> working_before;
};

TEST_F(UnchangedTest, CancelledDialogKeepsTheFraming) {
  const SlotSnapshot before(state, fe);
  fe.open_answers.push_back("");
  ImportIntoSlotToEnd(state, fe, fe, work, 5);
  EXPECT_EQ(fe.open_dialogs_shown, 3);
  before.ExpectUnchanged(state, fe);
  EXPECT_TRUE(fe.messages.empty());
}

struct RefusedCase {
  const char* name;
  const char* file;
  std::vector<uint8_t> bytes;
};

const RefusedCase kRefusedCases[] = {
    {"TextNamedJpg", "notes.jpg", {'h', 'e', 'l', 'l', 'o'}},
    {"GifSignature", "pic.png", {'G', 'I', 'F', '8', '9', 'a', 1, 0}},
    {"EmptyFile", "empty.jpg", {}},
    {"HalfJpegSignature", "short.jpg", {0xFF, 0xD8}},
    {"OneByte", "one.bmp", {'B'}},
    {"LowerCaseBm", "lower.bmp", {'b', 'm', 0, 0, 0, 0}},
};

class RefusedTable : public UnchangedTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedTable, ShowsFormatErrorAndKeepsTheSlot) {
  const RefusedCase& c = GetParam();
  const SlotSnapshot before(state, fe);
  Import(5, File(c.file, c.bytes));
  ASSERT_EQ(fe.messages, std::vector<std::string>{"File format error!\n\"" + std::string(c.file) +
                                                  "\" is not a photo the program takes: JPEG (.jpg, "
                                                  ".jpeg), PNG (.png), TIFF (.tif, .tiff) or BMP (.bmp)."});
  before.ExpectUnchanged(state, fe);
  EXPECT_EQ(Bytes(PhotoWorkFile(work, 5)), working_before);
}

INSTANTIATE_TEST_SUITE_P(Files, RefusedTable, ::testing::ValuesIn(kRefusedCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Damaged photos: a JPEG cut after its header, a BMP whose header promises
// more pixels than it holds.
std::vector<uint8_t> TruncatedJpeg() {
  std::vector<uint8_t> bytes = EncodeJpeg(Gradient(64, 48), 90);
  bytes.resize(bytes.size() / 3);
  return bytes;
}

std::vector<uint8_t> TruncatedBmp() {
  std::vector<uint8_t> bytes = EncodeBmp(Gradient(64, 48));
  bytes.resize(200);
  return bytes;
}

std::vector<uint8_t> GarbageAfterSignature(std::vector<uint8_t> head) {
  for (int i = 0; i < 100; ++i) head.push_back(static_cast<uint8_t>(i * 37));
  return head;
}

struct FailedCase {
  const char* name;
  const char* file;
  std::vector<uint8_t> bytes;
};

const FailedCase kFailedCases[] = {
    {"TruncatedJpeg", "cut.jpg", TruncatedJpeg()},
    {"TruncatedBmp", "cut.bmp", TruncatedBmp()},
    {"GarbageJpeg", "garbage.jpg", GarbageAfterSignature({0xFF, 0xD8, 0xFF})},
    {"GarbageBmp", "garbage.bmp", GarbageAfterSignature({'B', 'M'})},
    {"PngSignatureOnly", "sig.png", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}},
    {"GarbagePng", "garbage.png", GarbageAfterSignature({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})},
    {"GarbageTiff", "garbage.tif", GarbageAfterSignature({'I', 'I', 42, 0})},
};

class FailedTable : public UnchangedTest, public ::testing::WithParamInterface<FailedCase> {};

TEST_P(FailedTable, RaisesAndKeepsTheSlotAndItsWorkingFile) {
  const FailedCase& c = GetParam();
  const SlotSnapshot before(state, fe);
  const std::string chosen = File(c.file, c.bytes);
  fe.open_answers.push_back(chosen);
  EXPECT_THROW(ImportIntoSlotToEnd(state, fe, fe, work, 5), Error);
  before.ExpectUnchanged(state, fe);
  EXPECT_EQ(Bytes(PhotoWorkFile(work, 5)), working_before);
  EXPECT_TRUE(fe.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, FailedTable, ::testing::ValuesIn(kFailedCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Paths the dialog may hand over that are no readable file: a missing
// file, a folder, and a FIFO (which must not make the import wait for a writer).
class UnreadableTable : public UnchangedTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(UnreadableTable, RaisesCannotOpenAndKeepsTheSlot) {
  const std::string path = dir + "/unreadable.jpg";
  const std::string kind = GetParam();
  if (kind == "folder") fs::create_directory(path);
  if (kind == "fifo") {
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  }
  const SlotSnapshot before(state, fe);
  fe.open_answers.push_back(path);
  try {
    ImportIntoSlotToEnd(state, fe, fe, work, 5);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"" + path + "\". ", 0), 0u) << e.what();
  }
  before.ExpectUnchanged(state, fe);
  EXPECT_TRUE(fe.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Paths, UnreadableTable, ::testing::Values("missing", "folder", "fifo"));

// A working file that cannot be written: a folder in its place, or a
// working folder that is gone. The error names the working file, the
// previous working files stay and no temporary file is left behind.
class UnwritableTable : public UnchangedTest, public ::testing::WithParamInterface<bool> {};

TEST_P(UnwritableTable, RaisesCannotCreateAndLeavesNoTemporary) {
  const bool folder_in_place = GetParam();
  const std::string target_dir = folder_in_place ? work : dir + "/no/such/folder";
  if (folder_in_place) fs::create_directories(PhotoWorkFile(work, 6) + "/inside");
  const SlotSnapshot before(state, fe);
  fe.open_answers.push_back(Jpeg("new.jpg", Gradient(50, 40)));
  try {
    ImportIntoSlotToEnd(state, fe, fe, target_dir, 6);
    FAIL() << "no error";
  } catch (const Error& e) {
    const std::string reason = folder_in_place ? "Is a directory" : "No such file or directory";
    EXPECT_EQ(e.what(), "Cannot create file \"" + PhotoWorkFile(target_dir, 6) + "\". " + reason);
  }
  before.ExpectUnchanged(state, fe);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(work)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  std::vector<std::string> expected{"t05.bmp"};
  if (folder_in_place) expected.push_back("t06.bmp");
  EXPECT_EQ(names, expected);
}

INSTANTIATE_TEST_SUITE_P(WorkingFiles, UnwritableTable, ::testing::Bool(), [](const auto& info) {
  return std::string(info.param ? "FolderInPlace" : "FolderMissing");
});

TEST_F(UnchangedTest, StripWidthFailureComesBeforeTheWorkingFile) {
  state.lens.LensLpiX = 0;  // no lens pitch: the strip width cannot be computed
  const SlotSnapshot before(state, fe);
  fe.open_answers.push_back(Jpeg("new.jpg", Gradient(50, 40)));
  try {
    ImportIntoSlotToEnd(state, fe, fe, work, 5);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Floating point division by zero");
  }
  before.ExpectUnchanged(state, fe);
  EXPECT_EQ(Bytes(PhotoWorkFile(work, 5)), working_before);
}

// ---- import as long work: cancelled, dropped or failed part-way ----

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// One photo from the dialog replacing slot 5's JPEG, or three photos
// (JPEG, BMP, JPEG) from slot 4 on, so slot 5 and its working file are
// among them.
struct CancelCase {
  const char* name;
  int first_slot;
  std::vector<const char*> kinds;  // "jpg" or "bmp"
};

void PrintTo(const CancelCase& c, std::ostream* os) { *os << c.name; }

const CancelCase kCancelCases[] = {
    {"OnePhoto", 5, {"jpg"}},
    {"ThreePhotos", 4, {"jpg", "bmp", "jpg"}},
};

class ImportCancelTable : public UnchangedTest, public ::testing::WithParamInterface<CancelCase> {
 protected:
  std::unique_ptr<LongWork> StartWork() {
    const CancelCase& c = GetParam();
    std::vector<std::string> files;
    for (size_t k = 0; k < c.kinds.size(); ++k) {
      const std::string name = "new" + std::to_string(k) + "." + c.kinds[k];
      const Raster photo = TwoHalves(90 + 10 * static_cast<int>(k), 60);
      files.push_back(std::string(c.kinds[k]) == "bmp" ? Bmp(name, photo) : Jpeg(name, photo));
    }
    if (files.size() == 1) {
      fe.open_answers.push_back(files.front());
    } else {
      fe.open_many_answers.push_back(files);
    }
    return StartImportIntoSlot(state, fe, fe, work, c.first_slot);
  }
};

// A cancel at any moment of the work, from before its first step to after
// its last, changes nothing: no slot, thumbnail, count, crop or selection,
// the working file of slot 5 keeps its bytes, and no working or temporary
// file is left once the work is gone. None of the photos is kept.
TEST_P(ImportCancelTable, KeepsEverythingAsItWas) {
  const SlotSnapshot before(state, fe);
  const int reports = 1 + 3 * static_cast<int>(GetParam().kinds.size());
  for (int moment = 0; moment <= reports; ++moment) {
    std::unique_ptr<LongWork> job = StartWork();
    ASSERT_NE(job, nullptr);
    CancelToken token;
    testing::CancelAfterSteps progress(token, moment);
    EXPECT_THROW(job->Run(progress, token), Cancelled) << "moment " << moment;
    job.reset();
    before.ExpectUnchanged(state, fe);
    EXPECT_EQ(Bytes(PhotoWorkFile(work, 5)), working_before) << "moment " << moment;
    EXPECT_EQ(NamesIn(work), std::vector<std::string>{"t05.bmp"}) << "moment " << moment;
  }
  EXPECT_TRUE(fe.messages.empty());
}

// Work that ran to its end but was never finished (the cancel came after
// the last step) is the same as a cancel: its working files go with it.
TEST_P(ImportCancelTable, WorkDroppedBeforeFinishKeepsEverything) {
  const SlotSnapshot before(state, fe);
  std::unique_ptr<LongWork> job = StartWork();
  ASSERT_NE(job, nullptr);
  CancelToken token;
  testing::CancelAfterSteps progress(token, 1000);
  job->Run(progress, token);
  const int photos = static_cast<int>(GetParam().kinds.size());
  EXPECT_EQ(progress.Maximum(), 3 * photos);
  EXPECT_EQ(progress.Progress(), 3 * photos) << "the bar reaches its end";
  job.reset();
  before.ExpectUnchanged(state, fe);
  EXPECT_EQ(Bytes(PhotoWorkFile(work, 5)), working_before);
  EXPECT_EQ(NamesIn(work), std::vector<std::string>{"t05.bmp"});
}

INSTANTIATE_TEST_SUITE_P(Imports, ImportCancelTable, ::testing::ValuesIn(kCancelCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(UnchangedTest, SeveralFilesThatAllFailChangeNothingAndAreNamed) {
  const SlotSnapshot before(state, fe);
  ImportFilesToEnd(state, fe, fe, work, 5,
              {File("a.jpg", TruncatedJpeg()), File("b.txt", {'h', 'i'})});
  before.ExpectUnchanged(state, fe);
  EXPECT_EQ(Bytes(PhotoWorkFile(work, 5)), working_before);
  EXPECT_EQ(NamesIn(work), std::vector<std::string>{"t05.bmp"});
  ASSERT_EQ(fe.messages.size(), 1u);
  EXPECT_EQ(fe.messages[0].rfind("Not imported:\na.jpg: ", 0), 0u) << fe.messages[0];
  EXPECT_NE(fe.messages[0].find("\nb.txt: File format error!"), std::string::npos) << fe.messages[0];
}

// A working file that cannot be put in place when the work finishes: the
// slots before it are filled (each with its own working file), it and the
// slots after it stay as they were, and no temporary file is left.
TEST_F(UnchangedTest, ARenameThatFailsInFinishLeavesEachSlotWholeEitherWay) {
  std::unique_ptr<LongWork> job = StartImportFiles(
      state, fe, fe, work, 6, {Jpeg("p1.jpg", Gradient(40, 30)), Jpeg("p2.jpg", Gradient(30, 40))});
  ASSERT_NE(job, nullptr);
  CancelToken never;
  testing::CancelAfterSteps progress(never, 1000);
  job->Run(progress, never);
  fs::create_directory(PhotoWorkFile(work, 7));  // something took slot 7's name meanwhile
  EXPECT_THROW(job->Finish(progress), Error);
  job.reset();
  EXPECT_EQ(state.photos.SlotFiles[5], PhotoWorkFile(work, 6));
  EXPECT_EQ(fe.thumbnails.count(6), 1u);
  EXPECT_EQ(state.photos.FrameCount, 6);
  EXPECT_TRUE(state.photos.SlotFiles[6].empty());
  EXPECT_EQ(fe.thumbnails.count(7), 0u);
  EXPECT_EQ(NamesIn(work), (std::vector<std::string>{"t05.bmp", "t06.bmp", "t07.bmp"}));
  EXPECT_TRUE(fs::is_directory(PhotoWorkFile(work, 7)));
  EXPECT_EQ(LoadBmpFile(PhotoWorkFile(work, 6)).Width(), 40);
}

// ---- selection ----

TEST_F(UnchangedTest, SelectingAnEmptySlotDoesNothing) {
  const SlotSnapshot before(state, fe);
  fe.crop_visible = false;
  SelectSlot(state, fe, 9);
  before.ExpectUnchanged(state, fe);
  EXPECT_FALSE(fe.crop_visible);
}

TEST_F(UnchangedTest, SelectionRestoresEachSlotsRectangle) {
  // Slot 5 was moved by (20, 10) from its default; slot 2 has its default.
  const CropRecord slot5 = state.photos.CropRects[4];
  const CropRecord slot2 = state.photos.CropRects[1];
  SelectSlot(state, fe, 5);
  EXPECT_EQ(state.photos.CurrentSlot, 4);
  EXPECT_EQ(state.photos.CropRects[4], slot5);
  EXPECT_EQ(fe.shown_crop, (Rect{slot5.Left, slot5.Top, slot5.Right, slot5.Bottom}));
  EXPECT_EQ(fe.view.Width(), 160);
  SelectSlot(state, fe, 2);
  EXPECT_EQ(fe.shown_crop, (Rect{slot2.Left, slot2.Top, slot2.Right, slot2.Bottom}));
  EXPECT_EQ(fe.view.Width(), 120);
}

TEST_F(UnchangedTest, SelectingAVanishedPhotoRaisesAndKeepsTheView) {
  const std::string bmp = Bmp("later.bmp", Gradient(30, 20));
  Import(7, bmp);
  SelectSlot(state, fe, 2);
  const Raster shown = fe.view.Graphic();
  fs::remove(bmp);
  EXPECT_THROW(SelectSlot(state, fe, 7), Error);
  EXPECT_EQ(state.photos.CurrentSlot, 6) << "the slot is current although its photo is gone";
  EXPECT_TRUE(SameRaster(fe.view.Graphic(), shown));
}

TEST_F(SlotsTest, SlotFileWithoutPictureGivesTheInvalidOperation) {
  // A slot file that is no BMP goes to the picture holder, which leaves an
  // empty picture for a name without extension; the fit then refuses it.
  state.photos.SlotFiles[0] = File("noextension", {'x', 'y', 'z'});
  try {
    SelectSlot(state, fe, 1);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Invalid floating point operation");
  }
  EXPECT_FALSE(fe.crop_visible);
}

// ---- "裁切": the crop frame back in the view ----

struct ReframeCase {
  const char* name;
  Rect dragged_to;  // where the person left the rectangle (view box 591 x 593)
  bool kept;        // else the default rectangle comes back
};

const ReframeCase kReframeCases[] = {
    {"Inside", {10, 20, 377, 463}, true},
    {"PartlyLeftOfTheView", {-300, 75, 67, 518}, true},
    {"EightPixelsStillInside", {-359, 75, 8, 518}, true},
    {"SevenPixelsStillInside", {-360, 75, 7, 518}, false},
    {"WhollyLeftOfTheView", {-400, 75, -33, 518}, false},
    {"BelowTheView", {112, 600, 479, 1043}, false},
    {"RightOfTheView", {591, 75, 958, 518}, false},
    {"FarAway", {-16000000, -16000000, -15999633, -15999557}, false},
};

class ReframeTable : public SlotsTest, public ::testing::WithParamInterface<ReframeCase> {};

// After a merge the view shows the merged picture: "裁切" shows the current
// photo again with its rectangle, or the default one when the person could
// no longer reach it.
TEST_P(ReframeTable, ShowsThePhotoWithAReachableRectangle) {
  const ReframeCase& c = GetParam();
  Import(3, Bmp("wide.bmp", Gradient(400, 300)));  // fitted as a 1600 x 1200 photo is
  Import(1, Bmp("other.bmp", Gradient(120, 90)));
  SelectSlot(state, fe, 3);
  CropRecord& record = state.photos.CropRects[2];
  record.Left = c.dragged_to.left;
  record.Top = c.dragged_to.top;
  record.Right = c.dragged_to.right;
  record.Bottom = c.dragged_to.bottom;
  fe.view = Picture(Raster(40, 50));  // the merged preview
  fe.crop_visible = false;

  FrameCurrentSlot(state, fe);
  const Rect want = c.kept ? c.dragged_to : Rect{112, 75, 479, 518};
  EXPECT_EQ(fe.shown_crop, want);
  EXPECT_EQ(state.photos.CropRects[2], (CropRecord{want.left, want.top, want.right, want.bottom, 0, 75, true}));
  EXPECT_EQ(state.photos.CropScales[2], 6768);
  EXPECT_TRUE(fe.crop_visible);
  EXPECT_EQ(fe.view.Width(), 400);
  EXPECT_EQ(state.photos.CurrentSlot, 2);
}

INSTANTIATE_TEST_SUITE_P(Places, ReframeTable, ::testing::ValuesIn(kReframeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SlotsTest, ReframingAnEmptyOrVanishedSlotChangesNothing) {
  FrameCurrentSlot(state, fe);  // slot 1, never filled
  EXPECT_FALSE(fe.crop_visible);
  EXPECT_TRUE(fe.view.IsEmpty());

  const std::string bmp = Bmp("later.bmp", Gradient(300, 200));
  Import(2, bmp);
  state.photos.CropRects[1].Left = -5000;  // out of reach
  state.photos.CropRects[1].Right = -4000;
  fs::remove(bmp);
  const SlotSnapshot before(state, fe);
  EXPECT_THROW(FrameCurrentSlot(state, fe), Error);
  before.ExpectUnchanged(state, fe);
  EXPECT_TRUE(state.photos.CropRects[1].Saved);
}

TEST_F(SlotsTest, SlotNumbersOutsideOneToSixteenAreRefused) {
  for (int slot : {0, 17, -1}) {
    EXPECT_THROW(SelectSlot(state, fe, slot), Error) << slot;
    EXPECT_THROW(ImportIntoSlotToEnd(state, fe, fe, work, slot), Error) << slot;
  }
  EXPECT_EQ(fe.open_dialogs_shown, 0);
}

}  // namespace
}  // namespace lenti
