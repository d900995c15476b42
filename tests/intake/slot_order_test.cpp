// The order of the slots: natural ordering of names, several photos at once
// (dialog and drop), swap, reverse and remove keeping each photo's crop,
// scale, thumbnail and working files together; FrameCount and StripWidth
// after removals; a failed step leaving every slot and file as it was.
#include "intake/photo_source.h"
#include "intake/slot_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/bmp_reader.h"
#include "core/bmp_writer.h"
#include "core/error.h"
#include "core/file_io.h"
#include "core/work_dir.h"
#include "fake_frontend.h"
#include "import_to_end.h"
#include "intake/crop_frame.h"
#include "intake/slots.h"
#include "interlace/merge.h"
#include "pattern_photos.h"
#include "temp_dir.h"

namespace lenti {
namespace {

namespace fs = std::filesystem;
using testing::FakeFrontend;
using testing::Pattern;

// ---- natural order ----

TEST(NaturalOrderTest, NumberedBurstsComeInTheirCountingOrder) {
  const std::vector<std::string> expected = {
      "/p/IMG_1.jpg", "/p/IMG_2.jpg", "/p/img_3.JPG", "/p/IMG_0004.jpg", "/p/IMG_9.jpg",
      "/p/IMG_10.jpg", "/p/IMG_11.jpg", "/p/IMG_100.jpg", "/p/IMG_100a.jpg", "/p/IMG_100b.jpg",
      "/p/IMGA.jpg",  "/p/view 2 left.bmp", "/p/view 2 right.bmp", "/p/view 12.bmp"};
  std::vector<std::string> shuffled = expected;
  std::mt19937 random(7);
  for (int round = 0; round < 5; ++round) {
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    EXPECT_EQ(NaturalOrder(shuffled), expected) << "round " << round;
  }
}

TEST(NaturalOrderTest, TheFileNameDecidesBeforeTheFolder) {
  EXPECT_EQ(NaturalOrder({"/z/IMG_2.jpg", "/a/IMG_10.jpg", "/b/IMG_1.jpg", "/a/IMG_1.jpg"}),
            (std::vector<std::string>{"/a/IMG_1.jpg", "/b/IMG_1.jpg", "/z/IMG_2.jpg", "/a/IMG_10.jpg"}));
}

TEST(NaturalOrderTest, IsAStrictTotalOrder) {
  // Names equal by value or letter case still get one fixed order.
  const std::vector<std::string> names = {"a1", "a01", "A1", "a001b", "a1b", "a", "", "a10",
                                          "a9", "b", "B", "0", "00", "x99999999999999999999"};
  for (const auto& a : names) {
    EXPECT_FALSE(NaturalLess(a, a)) << a;
    for (const auto& b : names) {
      if (a != b) {
        EXPECT_NE(NaturalLess(a, b), NaturalLess(b, a)) << a << " / " << b;
      }
      for (const auto& c : names) {
        if (NaturalLess(a, b) && NaturalLess(b, c)) {
          EXPECT_TRUE(NaturalLess(a, c)) << a << " " << b << " " << c;
        }
      }
    }
  }
  EXPECT_TRUE(NaturalLess("a9", "a10"));
  EXPECT_TRUE(NaturalLess("x9", "x99999999999999999999"));
}

// ---- fixture: photos that tell each other apart by their width ----

class SlotOrderTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directory(work); }

  // Photo `n` is (20 + n) x 30, so a slot's photo shows which one it is.
  std::string Jpeg(const std::string& name, int n) {
    const std::string path = temp / name;
    testing::WriteJpeg(Pattern(20 + n, 30, n), path);
    return path;
  }
  std::string Bmp(const std::string& name, int n) {
    const std::string path = temp / name;
    SaveBmpFile(Pattern(20 + n, 30, n), path);
    return path;
  }
  std::string Text(const std::string& name) {
    const std::string path = temp / name;
    const std::string text = "not a photo";
    WriteWholeFile(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    return path;
  }
  void Import(int slot, const std::string& file) {
    fe.open_answers.push_back(file);
    ImportIntoSlotToEnd(state, fe, fe, work, slot);
  }
  // Which photo slot k holds (its width - 20); 0 for an empty slot.
  int PhotoIn(int slot) const {
    const std::string& file = state.photos.SlotFiles[slot - 1];
    if (file.empty()) return 0;
    return LoadBmpFile(file).Width() - 20;
  }
  // The slot's thumbnail is the one its photo was given: the photo squeezed.
  // The view shows the state's thumbnail, which moved with its photo.
  bool ThumbnailFitsPhoto(int slot) const {
    const auto found = fe.thumbnails.find(slot);
    if (found == fe.thumbnails.end()) return false;
    const Raster& kept = state.photos.Thumbnails[slot - 1];
    return testing::SamePixels(found->second, kept) &&
           testing::SamePixels(kept, MakeThumbnail(LoadBmpFile(state.photos.SlotFiles[slot - 1])));
  }
  std::vector<int> Photos() const {
    std::vector<int> photos;
    for (int slot = 1; slot <= kSlotCount; ++slot) photos.push_back(PhotoIn(slot));
    return photos;
  }
  // The working folder's files and their bytes.
  std::map<std::string, std::vector<uint8_t>> WorkFiles() const {
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& entry : fs::directory_iterator(work)) {
      files[entry.path().filename().string()] =
          entry.is_regular_file() ? ReadWholeFile(entry.path().string()) : std::vector<uint8_t>{};
    }
    return files;
  }
  // Frames a slot's photo away from its default rectangle, so each slot's
  // record differs.
  void Frame(int slot, int by) {
    SelectSlot(state, fe, slot);
    CropMouseDown(state, fe, 5, 5);
    CropMouseMove(state, fe, 5 + by, 5 + by);
    CropMouseUp(state);
  }

  testing::TempDir temp{"slot_order_test"};
  std::string work = temp / "work";
  FakeFrontend fe;
  MakerState state;
};

// Everything a slot command may change.
struct Snapshot {
  SlotState photos;
  std::map<int, Raster> thumbnails;
  std::map<std::string, std::vector<uint8_t>> files;
  int view_width;
  bool crop_visible;

  Snapshot(const MakerState& s, const FakeFrontend& fe, std::map<std::string, std::vector<uint8_t>> f)
      : photos(s.photos), thumbnails(fe.thumbnails), files(std::move(f)), view_width(fe.view.Width()),
        crop_visible(fe.crop_visible) {}

  void ExpectUnchanged(const MakerState& s, const FakeFrontend& fe,
                       const std::map<std::string, std::vector<uint8_t>>& now) const {
    EXPECT_EQ(s.photos.SlotFiles, photos.SlotFiles);
    EXPECT_EQ(s.photos.FrameCount, photos.FrameCount);
    EXPECT_EQ(s.photos.StripWidth, photos.StripWidth);
    EXPECT_EQ(s.photos.CurrentSlot, photos.CurrentSlot);
    EXPECT_EQ(s.photos.CropRects, photos.CropRects);
    EXPECT_EQ(s.photos.CropScales, photos.CropScales);
    EXPECT_EQ(fe.view.Width(), view_width);
    EXPECT_EQ(fe.crop_visible, crop_visible);
    ASSERT_EQ(fe.thumbnails.size(), thumbnails.size());
    for (const auto& [slot, thumb] : thumbnails)
      EXPECT_TRUE(testing::SamePixels(fe.thumbnails.at(slot), thumb)) << "thumbnail " << slot;
    std::map<std::string, std::vector<uint8_t>> files_now = now;
    EXPECT_EQ(files_now, files);
  }
};

// ---- several photos at once ----

TEST_F(SlotOrderTest, SixteenPhotosFromOneDialogFillTheSlotsInNaturalOrder) {
  std::vector<std::string> chosen;
  for (int n = 16; n >= 1; --n) chosen.push_back(n % 2 ? Jpeg("IMG_" + std::to_string(n) + ".jpg", n)
                                                       : Bmp("IMG_" + std::to_string(n) + ".bmp", n));
  std::swap(chosen[3], chosen[11]);
  fe.open_many_answers.push_back(chosen);
  ImportIntoSlotToEnd(state, fe, fe, work, 1);
  EXPECT_EQ(fe.open_dialogs_shown, 1);
  EXPECT_TRUE(fe.messages.empty());
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    EXPECT_EQ(PhotoIn(slot), slot);
    EXPECT_TRUE(ThumbnailFitsPhoto(slot)) << slot;
    // The JPEG photos became their slot's own working file.
    const bool jpeg = slot % 2 == 1;
    EXPECT_EQ(state.photos.SlotFiles[slot - 1] == PhotoWorkFile(work, slot), jpeg) << slot;
    EXPECT_TRUE(state.photos.CropRects[slot - 1].Saved) << "each import frames its photo";
  }
  EXPECT_EQ(state.photos.FrameCount, 16);
  EXPECT_EQ(state.photos.StripWidth, 1);
  EXPECT_EQ(state.photos.CurrentSlot, 15);
  EXPECT_EQ(fe.view.Width(), 36);
  EXPECT_EQ(CheckSlots(state), "");
}

TEST_F(SlotOrderTest, SeveralPhotosFillFromTheSlotAskedFor) {
  Import(2, Jpeg("keep.jpg", 30));
  fe.open_many_answers.push_back({Jpeg("b10.jpg", 3), Jpeg("b9.jpg", 2), Bmp("b11.bmp", 4)});
  ImportIntoSlotToEnd(state, fe, fe, work, 14);
  EXPECT_EQ(Photos(), (std::vector<int>{0, 30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 4}));
  EXPECT_EQ(state.photos.FrameCount, 16);
}

TEST_F(SlotOrderTest, TooManyPhotosNameTheOnesLeftOverAndChangeNothing) {
  Import(15, Jpeg("keep.jpg", 30));
  const Snapshot before(state, fe, WorkFiles());
  fe.open_many_answers.push_back({Jpeg("c3.jpg", 3), Jpeg("c1.jpg", 1), Jpeg("c4.jpg", 4), Jpeg("c2.jpg", 2)});
  ImportIntoSlotToEnd(state, fe, fe, work, 14);
  ASSERT_EQ(fe.messages.size(), 1u);
  EXPECT_EQ(fe.messages[0], "Too many photos for slots 14 to 16; nothing was imported. Left over:\nc4.jpg");
  before.ExpectUnchanged(state, fe, WorkFiles());

  fe.messages.clear();
  fe.open_many_answers.push_back({Jpeg("d1.jpg", 1), Jpeg("d2.jpg", 2), Jpeg("d3.jpg", 3)});
  ImportIntoSlotToEnd(state, fe, fe, work, 16);
  EXPECT_EQ(fe.messages, std::vector<std::string>{
                             "Too many photos for slot 16; nothing was imported. Left over:\nd2.jpg\nd3.jpg"});
  before.ExpectUnchanged(state, fe, WorkFiles());
}

std::vector<uint8_t> CutJpeg() {
  std::vector<uint8_t> bytes = EncodeJpeg(Pattern(64, 48, 1), 90);
  bytes.resize(bytes.size() / 3);
  return bytes;
}

TEST_F(SlotOrderTest, MixedGoodAndBadFilesImportTheGoodOnesAndNameTheRest) {
  const std::string cut = temp / "p3.jpg";
  const std::vector<uint8_t> bytes = CutJpeg();
  WriteWholeFile(cut, bytes.data(), bytes.size());
  const std::string missing = temp / "p5.jpg";
  fe.open_many_answers.push_back({missing, Bmp("p4.bmp", 4), cut, Text("p2.jpg"), Jpeg("p1.jpg", 1)});
  ImportIntoSlotToEnd(state, fe, fe, work, 3);
  // The good photos take consecutive slots; the bad ones take none.
  EXPECT_EQ(Photos(), (std::vector<int>{0, 0, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(state.photos.FrameCount, 4);
  EXPECT_EQ(state.photos.StripWidth, 3);
  ASSERT_EQ(fe.messages.size(), 1u);
  const std::string& text = fe.messages[0];
  EXPECT_EQ(text.rfind("Not imported:\np2.jpg: File format error!\np3.jpg: ", 0), 0u) << text;
  EXPECT_NE(text.find("\np5.jpg: Cannot open file \"" + missing + "\". "), std::string::npos) << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3) << text;
  EXPECT_TRUE(fe.errors.empty());
  EXPECT_FALSE(fs::exists(PhotoWorkFile(work, 5))) << "no working file for a refused photo";
}

// A single file chosen keeps the single import's answers: the message for a
// file that is no photo, the error for one that cannot be read.
TEST_F(SlotOrderTest, OneFileChosenIsImportedAsBefore) {
  fe.open_many_answers.push_back({Text("one.jpg")});
  ImportIntoSlotToEnd(state, fe, fe, work, 1);
  EXPECT_EQ(fe.messages, std::vector<std::string>{FileFormatMessage(Text("one.jpg"))});
  EXPECT_EQ(fe.messages[0].rfind("File format error!\n", 0), 0u) << fe.messages[0];
  fe.open_many_answers.push_back({temp / "gone.jpg"});
  EXPECT_THROW(ImportIntoSlotToEnd(state, fe, fe, work, 1), Error);
  EXPECT_EQ(Photos(), std::vector<int>(kSlotCount, 0));
}

struct DropCase {
  const char* name;
  std::vector<int> filled;  // slots filled before, with photo 30 + slot
  int dropped_on;           // 0 = elsewhere on the window
  int files;
  std::vector<int> expected_first_slots;  // slot -> photo for the first slots
};

const DropCase kDropCases[] = {
    {"OnASlot", {1, 2, 3}, 2, 2, {31, 1, 2, 0}},
    {"OnTheWindowFillsFromTheFirstEmpty", {1, 2, 4}, 0, 1, {31, 32, 1, 34}},
    {"OnTheWindowWithNoSlotFilled", {}, 0, 2, {1, 2, 0, 0}},
    {"OnTheWindowGoesOnFromTheFirstEmpty", {1, 3}, 0, 2, {31, 1, 2, 0}},
};

class DropTable : public SlotOrderTest, public ::testing::WithParamInterface<DropCase> {};

TEST_P(DropTable, FillsFromTheSlotItLandsOn) {
  const DropCase& c = GetParam();
  for (int slot : c.filled) Import(slot, Bmp("filled" + std::to_string(slot) + ".bmp", 30 + slot));
  std::vector<std::string> files;
  for (int n = c.files; n >= 1; --n) files.push_back(Jpeg("drop" + std::to_string(n) + ".jpg", n));
  ImportDroppedToEnd(state, fe, fe, work, c.dropped_on, files);
  std::vector<int> first = Photos();
  first.resize(c.expected_first_slots.size());
  EXPECT_EQ(first, c.expected_first_slots);
  EXPECT_TRUE(fe.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Drops, DropTable, ::testing::ValuesIn(kDropCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SlotOrderTest, ADropOnAFullWindowNamesEveryFile) {
  const std::string photo = Bmp("p.bmp", 1);
  for (int slot = 1; slot <= kSlotCount; ++slot) state.photos.SlotFiles[slot - 1] = photo;
  const SlotState before = state.photos;
  ImportDroppedToEnd(state, fe, fe, work, 0, {Jpeg("z2.jpg", 2), Jpeg("z10.jpg", 3)});
  ASSERT_EQ(fe.messages.size(), 1u);
  EXPECT_NE(fe.messages[0].find("nothing was imported"), std::string::npos);
  EXPECT_NE(fe.messages[0].find("Left over:\nz2.jpg\nz10.jpg"), std::string::npos) << fe.messages[0];
  EXPECT_EQ(state.photos.SlotFiles, before.SlotFiles);
  EXPECT_TRUE(fe.thumbnails.empty());
}

// Import photos never replaces a framed photo unasked: the first empty slot,
// and with every slot filled the current one only after a yes.
TEST_F(SlotOrderTest, ImportPhotosTakesTheFirstEmptySlotAndAsksBeforeReplacing) {
  EXPECT_EQ(OpenCommandSlot(state.photos, fe), 1) << "nothing selected yet";
  Import(1, Bmp("a.bmp", 1));
  Import(3, Bmp("b.bmp", 3));
  EXPECT_EQ(OpenCommandSlot(state.photos, fe), 2) << "slot 3 is current but holds a photo";
  RemovePhoto(state, fe, work, 1);
  EXPECT_EQ(OpenCommandSlot(state.photos, fe), 1);
  state.photos.CurrentSlot = 2;
  for (int slot = 1; slot <= kSlotCount; ++slot) state.photos.SlotFiles[slot - 1] = "x";
  state.photos.SlotFiles[9].clear();
  EXPECT_EQ(OpenCommandSlot(state.photos, fe), 10);
  EXPECT_TRUE(fe.questions.empty());
  state.photos.SlotFiles[9] = "x";
  fe.yes_no_answers = {false, true};
  EXPECT_EQ(OpenCommandSlot(state.photos, fe), 0) << "all filled, replacing refused";
  EXPECT_EQ(OpenCommandSlot(state.photos, fe), 3) << "all filled, replacing agreed";
  EXPECT_EQ(fe.questions, (std::vector<std::string>(2, "Every photo slot is filled. Replace the photo in slot 3?")));
}

// ---- swap, reverse, remove ----

// Slots 1 (JPEG), 2 (BMP where it lies), 3 and 5 (JPEG), each framed its
// own way; the merge's frame files x01..x05 exist; slot 2 is current.
class FilledTest : public SlotOrderTest {
 protected:
  void SetUp() override {
    SlotOrderTest::SetUp();
    Import(1, Jpeg("one.jpg", 1));
    Import(2, Bmp("two.bmp", 2));
    Import(3, Jpeg("three.jpg", 3));
    Import(5, Jpeg("five.jpg", 5));
    for (int slot : {1, 2, 3, 5}) {
      Frame(slot, slot);
      const std::string frame(static_cast<size_t>(slot), static_cast<char>('0' + slot));
      WriteWholeFile(FrameWorkFile(work, slot), reinterpret_cast<const uint8_t*>(frame.data()), frame.size());
    }
    SelectSlot(state, fe, 2);
    for (int slot : {1, 2, 3, 5}) {
      records[slot] = state.photos.CropRects[slot - 1];
      scales[slot] = state.photos.CropScales[slot - 1];
    }
  }
  std::string FrameBytes(int slot) const {
    const std::string path = FrameWorkFile(work, slot);
    if (!fs::exists(path)) return "";
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
  }
  // Slot `slot` holds photo `photo` with everything that belongs to it.
  void ExpectPhotoIn(int slot, int photo) {
    SCOPED_TRACE("slot " + std::to_string(slot) + " photo " + std::to_string(photo));
    EXPECT_EQ(PhotoIn(slot), photo);
    EXPECT_TRUE(ThumbnailFitsPhoto(slot));
    EXPECT_EQ(state.photos.CropRects[slot - 1], records[photo]);
    EXPECT_EQ(state.photos.CropScales[slot - 1], scales[photo]);
    EXPECT_EQ(FrameBytes(slot), std::string(static_cast<size_t>(photo), static_cast<char>('0' + photo)));
    const bool converted = photo != 2;
    EXPECT_EQ(state.photos.SlotFiles[slot - 1] == PhotoWorkFile(work, slot), converted);
    EXPECT_EQ(fs::exists(PhotoWorkFile(work, slot)), converted);
  }
  void ExpectEmpty(int slot) {
    SCOPED_TRACE("slot " + std::to_string(slot) + " empty");
    EXPECT_EQ(state.photos.SlotFiles[slot - 1], "");
    EXPECT_EQ(fe.thumbnails.count(slot), 0u);
    EXPECT_FALSE(fs::exists(PhotoWorkFile(work, slot)));
    EXPECT_FALSE(fs::exists(FrameWorkFile(work, slot)));
  }
  std::map<int, CropRecord> records;
  std::map<int, int64_t> scales;
};

TEST_F(FilledTest, SwapCarriesPhotoWorkingFilesThumbnailAndCrop) {
  SwapSlots(state, fe, work, 1, 2);
  ExpectPhotoIn(1, 2);
  ExpectPhotoIn(2, 1);
  EXPECT_EQ(state.photos.CurrentSlot, 0) << "the selection follows the photo in the view";
  SwapSlots(state, fe, work, 5, 2);
  ExpectPhotoIn(5, 1);
  ExpectPhotoIn(2, 5);
  ExpectPhotoIn(3, 3);
  EXPECT_EQ(state.photos.FrameCount, 5);
  EXPECT_EQ(CheckSlots(state), "Photo4 not select!");
}

TEST_F(FilledTest, SwapWithAnEmptySlotMovesThePhoto) {
  SwapSlots(state, fe, work, 5, 4);
  ExpectPhotoIn(4, 5);
  ExpectEmpty(5);
  EXPECT_EQ(state.photos.FrameCount, 4);
  EXPECT_EQ(state.photos.StripWidth, 3);
  EXPECT_EQ(CheckSlots(state), "");
  SwapSlots(state, fe, work, 9, 1);
  ExpectPhotoIn(9, 1);
  ExpectEmpty(1);
  EXPECT_EQ(state.photos.FrameCount, 9);
  EXPECT_EQ(state.photos.StripWidth, 1);
  EXPECT_EQ(CheckSlots(state), "Photo1 not select!");
}

TEST_F(FilledTest, SwappingASlotWithItselfOrTwoEmptySlotsChangesNothing) {
  const Snapshot before(state, fe, WorkFiles());
  SwapSlots(state, fe, work, 3, 3);
  SwapSlots(state, fe, work, 7, 12);
  before.ExpectUnchanged(state, fe, WorkFiles());
  EXPECT_THROW(SwapSlots(state, fe, work, 0, 3), Error);
  EXPECT_THROW(SwapSlots(state, fe, work, 3, 17), Error);
}

TEST_F(FilledTest, ReverseTurnsTheFilledSlotsAroundAndKeepsTheGaps) {
  ReverseSlots(state, fe, work);
  ExpectPhotoIn(1, 5);
  ExpectPhotoIn(2, 3);
  ExpectPhotoIn(3, 2);
  ExpectPhotoIn(5, 1);
  ExpectEmpty(4);
  EXPECT_EQ(state.photos.CurrentSlot, 2);
  EXPECT_EQ(state.photos.FrameCount, 5);
  ReverseSlots(state, fe, work);
  for (int slot : {1, 2, 3, 5}) ExpectPhotoIn(slot, slot);
}

TEST_F(FilledTest, RemoveEmptiesTheSlotAndDeletesItsWorkingFiles) {
  RemovePhoto(state, fe, work, 3);
  ExpectEmpty(3);
  EXPECT_EQ(state.photos.CropRects[2], CropRecord{});
  for (int slot : {1, 2, 5}) ExpectPhotoIn(slot, slot);
  EXPECT_EQ(fe.view.Width(), 22) << "another slot's photo stays in the view";
  EXPECT_EQ(CheckSlots(state), "Photo3 not select!");

  RemovePhoto(state, fe, work, 2);  // the current slot, a BMP where it lies
  ExpectEmpty(2);
  EXPECT_TRUE(fs::exists(temp / "two.bmp")) << "the person's own photo is never deleted";
  EXPECT_TRUE(fe.view.IsEmpty());
  EXPECT_FALSE(fe.crop_visible);
  EXPECT_EQ(state.photos.CurrentSlot, 1);
  EXPECT_EQ(CheckSlots(state), "Photo2 not select!");
  RemovePhoto(state, fe, work, 2);  // already empty: nothing happens
  EXPECT_TRUE(fe.messages.empty());
}

struct RemoveCase {
  const char* name;
  std::vector<int> removed;
  int32_t frame_count;
  int32_t strip_width;  // Round(250 / FrameCount / 21.25)
};

const RemoveCase kRemoveCases[] = {
    {"TopSlotFallsToTheNextFilled", {5}, 3, 4},
    {"SlotFromThreeOnRecomputesTheStrip", {3}, 5, 2},
    {"SlotOneKeepsBoth", {1}, 5, 2},
    {"DownToTwoNeverBelow", {5, 3}, 2, 6},
    {"AllGone", {1, 2, 3, 5}, 2, 6},
    {"SlotTwoAfterTheTopWent", {5, 3, 2}, 2, 6},
};

class RemoveTable : public FilledTest, public ::testing::WithParamInterface<RemoveCase> {};

TEST_P(RemoveTable, FrameCountIsTheHighestFilledSlot) {
  const RemoveCase& c = GetParam();
  EXPECT_EQ(state.photos.FrameCount, 5);
  EXPECT_EQ(state.photos.StripWidth, 2);
  for (int slot : c.removed) RemovePhoto(state, fe, work, slot);
  EXPECT_EQ(state.photos.FrameCount, c.frame_count);
  EXPECT_EQ(state.photos.StripWidth, c.strip_width);
  for (int slot : c.removed) ExpectEmpty(slot);
}

INSTANTIATE_TEST_SUITE_P(Removals, RemoveTable, ::testing::ValuesIn(kRemoveCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FilledTest, AnImportAfterARemoveRaisesFrameCountAgain) {
  RemovePhoto(state, fe, work, 5);
  Import(4, Jpeg("four.jpg", 4));
  EXPECT_EQ(state.photos.FrameCount, 4);
  EXPECT_EQ(state.photos.StripWidth, 3);
  EXPECT_EQ(CheckSlots(state), "");
}

// ---- a failed step leaves every slot and file as it was ----

struct FailureCase {
  const char* name;
  const char* blocked;  // a folder with a file inside, where a move must go
  int command;          // 0 swap 1 <-> 3, 1 move 5 -> 7, 2 reverse, 3 remove 3
  const char* message_start;
};

const FailureCase kFailureCases[] = {
    {"SwapStagingBlocked", "t03.bmp.moving", 0, "Cannot move the working file \""},
    {"MoveIntoABlockedName", "t07.bmp", 1, "Cannot move the working file \""},
    {"FrameFileBlocked", "x07.bmp", 1, "Cannot move the working file \""},
    {"ReverseLastMoveBlocked", "x05.bmp.moving", 2, "Cannot move the working file \""},
    // Slot 2's photo lies where it was chosen: nothing moves "t02.bmp" away
    // before slot 3's converted photo is put there, half-way through.
    {"ReversePlacingBlockedMidway", "t02.bmp", 2, "Cannot move the working file \""},
    {"RemoveBlocked", "x03.bmp.moving", 3, "Cannot delete the working file \""},
};

class FailureTable : public FilledTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailureTable, RaisesAndPutsEverythingBack) {
  const FailureCase& c = GetParam();
  fs::create_directories(work + "/" + c.blocked + "/inside");
  const Snapshot before(state, fe, WorkFiles());
  const auto run = [&] {
    switch (c.command) {
      case 0: return SwapSlots(state, fe, work, 1, 3);
      case 1: return SwapSlots(state, fe, work, 5, 7);
      case 2: return ReverseSlots(state, fe, work);
      default: return RemovePhoto(state, fe, work, 3);
    }
  };
  try {
    run();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind(c.message_start, 0), 0u) << e.what();
    EXPECT_EQ(std::string(e.what()).find(".moving"), std::string::npos) << "names the working file: " << e.what();
  }
  before.ExpectUnchanged(state, fe, WorkFiles());
}

INSTANTIATE_TEST_SUITE_P(Blocked, FailureTable, ::testing::ValuesIn(kFailureCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FilledTest, AStripWidthThatCannotBeComputedStopsBeforeAnyFileMoves) {
  state.lens.LensLpiX = 0;
  const Snapshot before(state, fe, WorkFiles());
  EXPECT_THROW(RemovePhoto(state, fe, work, 5), Error);
  EXPECT_THROW(ReverseSlots(state, fe, work), Error);
  before.ExpectUnchanged(state, fe, WorkFiles());
}

TEST_F(FilledTest, LeftoverWorkingFilesOfAnEarlierPhotoGo) {
  // Slot 2's photo lies where it was chosen; a "t02.bmp" from an earlier
  // JPEG photo of slot 2 belongs to nothing and goes when the slot changes.
  WriteWholeFile(PhotoWorkFile(work, 2), reinterpret_cast<const uint8_t*>("old"), 3);
  SwapSlots(state, fe, work, 2, 4);
  ExpectPhotoIn(4, 2);
  ExpectEmpty(2);
}

}  // namespace
}  // namespace lenti
