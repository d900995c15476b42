// Swap, reverse and remove: one rearrangement of the slots' contents. Each
// slot's content (file, working files, thumbnail, crop record and scale)
// goes to one destination slot or is dropped; the working files move
// first, the slots change only when every move has succeeded.
#include "intake/slot_order.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <utility>

#include "core/error.h"
#include "core/strip_width.h"
#include "intake/crop_frame.h"
#include "core/work_dir.h"

namespace lenti {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// <0, 0, >0 in the natural order; 0 for names that differ only in letter
// case or in leading zeros.
int NaturalCompare(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      size_t a_end = i, b_end = j;
      while (a_end < a.size() && IsDigit(a[a_end])) ++a_end;
      while (b_end < b.size() && IsDigit(b[b_end])) ++b_end;
      // The value without its leading zeros (one digit kept for zero).
      while (i + 1 < a_end && a[i] == '0') ++i;
      while (j + 1 < b_end && b[j] == '0') ++j;
      const size_t a_digits = a_end - i, b_digits = b_end - j;
      if (a_digits != b_digits) return a_digits < b_digits ? -1 : 1;
      const int by_value = a.compare(i, a_digits, b, j, b_digits);
      if (by_value != 0) return by_value;
      i = a_end;
      j = b_end;
      continue;
    }
    const auto ca = static_cast<unsigned char>(FoldCase(a[i]));
    const auto cb = static_cast<unsigned char>(FoldCase(b[j]));
    if (ca != cb) return ca < cb ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

// Where the content of each slot (0-based) goes: another slot, itself, or
// nowhere (the photo is removed).
using Destinations = std::array<std::optional<int>, kSlotCount>;

Destinations Unchanged() {
  Destinations to;
  for (int i = 0; i < kSlotCount; ++i) to[i] = i;
  return to;
}

// One working file to move to another slot's name, or to delete (no `to`).
struct FileMove {
  std::string from;
  std::optional<std::string> to;
  std::string Staged() const { return from + ".moving"; }
};

Error CannotMove(const FileMove& move, int errnum) {
  if (!move.to) return Error(Format("Cannot delete the working file \"%s\". %s", move.from.c_str(),
                                    SystemReason(errnum).c_str()));
  return Error(Format("Cannot move the working file \"%s\" to \"%s\". %s", move.from.c_str(),
                      move.to->c_str(), SystemReason(errnum).c_str()));
}

// Moves all files or none: each goes to a temporary name beside it first
// (so that a swap's files never meet), then to its place; a failure moves
// back every file already moved and raises. Deleted files are removed from
// their temporary names at the end.
void MoveFiles(const std::vector<FileMove>& moves) {
  size_t staged = 0, placed = 0;
  const auto put_back = [&] {
    // Best effort: the first failure is the one reported.
    for (size_t k = 0; k < placed; ++k) {
      if (moves[k].to) std::rename(moves[k].to->c_str(), moves[k].Staged().c_str());
    }
    for (size_t k = 0; k < staged; ++k) std::rename(moves[k].Staged().c_str(), moves[k].from.c_str());
  };
  for (; staged < moves.size(); ++staged) {
    const FileMove& move = moves[staged];
    if (std::rename(move.from.c_str(), move.Staged().c_str()) != 0) {
      const int errnum = errno;
      put_back();
      throw CannotMove(move, errnum);
    }
  }
  for (; placed < moves.size(); ++placed) {
    const FileMove& move = moves[placed];
    if (move.to && std::rename(move.Staged().c_str(), move.to->c_str()) != 0) {
      const int errnum = errno;
      put_back();
      throw CannotMove(move, errnum);
    }
  }
  for (const FileMove& move : moves) {
    if (!move.to) std::remove(move.Staged().c_str());
  }
}

// Everything of the slots that a rearrangement changes, built aside.
struct Rearranged {
  SlotState photos;
  std::array<bool, kSlotCount> changed{};
  std::vector<FileMove> moves;
  std::vector<std::string> placed;  // working files a move puts into place
};

Rearranged Plan(const MakerState& state, const std::string& work_dir, const Destinations& to) {
  const SlotState& before = state.photos;
  Rearranged plan;
  plan.photos = before;
  for (int i = 0; i < kSlotCount; ++i) {
    if (to[i] == i) continue;
    plan.changed[i] = true;
    plan.photos.SlotFiles[i].clear();
    plan.photos.Sources[i] = SlotSource{};
    plan.photos.CropRects[i] = CropRecord{};
    plan.photos.CropSources[i].reset();
    plan.photos.CropScales[i] = 0;
    plan.photos.Placements[i] = FramePlacement{};
    plan.photos.Thumbnails[i] = Raster();
  }
  for (int i = 0; i < kSlotCount; ++i) {
    if (to[i] == i) continue;
    if (to[i]) plan.changed[*to[i]] = true;
    const std::string& file = before.SlotFiles[i];
    if (file.empty()) continue;
    const auto target = [&](std::string (*name)(const std::string&, int)) -> std::optional<std::string> {
      if (!to[i]) return std::nullopt;
      return name(work_dir, *to[i] + 1);
    };
    // The converted photo is the slot's own "tNN.bmp"; a BMP photo stays
    // where it lies.
    const bool converted = file == PhotoWorkFile(work_dir, i + 1);
    if (converted) plan.moves.push_back(FileMove{file, target(PhotoWorkFile)});
    const std::string frame = FrameWorkFile(work_dir, i + 1);
    if (FileExists(frame)) plan.moves.push_back(FileMove{frame, target(FrameWorkFile)});
    if (!to[i]) continue;
    const int j = *to[i];
    plan.photos.SlotFiles[j] = converted ? PhotoWorkFile(work_dir, j + 1) : file;
    plan.photos.Sources[j] = before.Sources[i];
    plan.photos.CropRects[j] = before.CropRects[i];
    plan.photos.CropSources[j] = before.CropSources[i];
    plan.photos.CropScales[j] = before.CropScales[i];
    plan.photos.Placements[j] = before.Placements[i];
    plan.photos.Thumbnails[j] = before.Thumbnails[i];
  }
  for (const FileMove& move : plan.moves) {
    if (move.to) plan.placed.push_back(*move.to);
  }
  const int current = before.CurrentSlot;
  if (to[current]) plan.photos.CurrentSlot = static_cast<uint8_t>(*to[current]);

  plan.photos.FrameCount = std::max(2, HighestFilledSlot(plan.photos));
  bool from_slot_three = false;
  for (int i = 2; i < kSlotCount; ++i) from_slot_three = from_slot_three || plan.changed[i];
  // May fail (no lens pitch): before anything has changed.
  if (from_slot_three) plan.photos.StripWidth = ImportStripWidth(plan.photos.FrameCount, state.lens.LensLpiX);
  return plan;
}

// Working files of changed slots that belong to no photo any more (left
// from an earlier photo of the slot) go; one a slot still reads stays.
void RemoveLeftovers(const Rearranged& plan, const std::string& work_dir) {
  const auto in_use = [&](const std::string& path) {
    return std::find(plan.photos.SlotFiles.begin(), plan.photos.SlotFiles.end(), path) !=
               plan.photos.SlotFiles.end() ||
           std::find(plan.placed.begin(), plan.placed.end(), path) != plan.placed.end();
  };
  for (int i = 0; i < kSlotCount; ++i) {
    if (!plan.changed[i]) continue;
    for (const std::string& path : {PhotoWorkFile(work_dir, i + 1), FrameWorkFile(work_dir, i + 1)}) {
      if (!in_use(path)) std::remove(path.c_str());  // usually there is none
    }
  }
}

void Rearrange(MakerState& state, MainView& view, const std::string& work_dir, const Destinations& to) {
  if (to == Unchanged()) return;
  Rearranged plan = Plan(state, work_dir, to);
  MoveFiles(plan.moves);

  // Nothing below can fail: the slots change as a whole.
  RemoveLeftovers(plan, work_dir);
  const uint8_t current = state.photos.CurrentSlot;
  const bool shown_removed = !to[current] && !state.photos.SlotFiles[current].empty();
  SlotState& photos = state.photos;
  photos.SlotFiles = plan.photos.SlotFiles;
  photos.Sources = plan.photos.Sources;
  photos.CropRects = plan.photos.CropRects;
  photos.CropSources = plan.photos.CropSources;
  photos.CropScales = plan.photos.CropScales;
  photos.Thumbnails = std::move(plan.photos.Thumbnails);
  photos.CurrentSlot = plan.photos.CurrentSlot;
  photos.FrameCount = plan.photos.FrameCount;
  photos.StripWidth = plan.photos.StripWidth;
  for (int i = 0; i < kSlotCount; ++i) {
    if (!plan.changed[i]) continue;
    if (photos.Thumbnails[i].Empty()) view.ClearThumbnail(i + 1);
    else view.SetThumbnail(i + 1, photos.Thumbnails[i]);
  }
  if (shown_removed) {
    // The photo in the view is gone: nothing to frame.
    photos.Dragging = false;
    HideCrop(state, view);
    view.SetViewPicture(Picture());
  }
}

}  // namespace

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void CheckSlotNumber(int slot) {
  if (slot < 1 || slot > kSlotCount) throw Error(Format("There is no photo slot %d", slot));
}

bool NaturalLess(const std::string& a, const std::string& b) {
  const int order = NaturalCompare(a, b);
  return order != 0 ? order < 0 : a < b;
}

std::vector<std::string> NaturalOrder(std::vector<std::string> paths) {
  std::stable_sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
    const std::string name_a = FileNameOf(a), name_b = FileNameOf(b);
    if (name_a != name_b) return NaturalLess(name_a, name_b);
    return NaturalLess(a, b);
  });
  return paths;
}

int FirstEmptySlot(const SlotState& photos) {
  for (int i = 0; i < kSlotCount; ++i) {
    if (photos.SlotFiles[i].empty()) return i + 1;
  }
  return 0;
}

int HighestFilledSlot(const SlotState& photos) {
  for (int i = kSlotCount - 1; i >= 0; --i) {
    if (!photos.SlotFiles[i].empty()) return i + 1;
  }
  return 0;
}

int FilledSlotCount(const SlotState& photos) {
  return static_cast<int>(std::count_if(photos.SlotFiles.begin(), photos.SlotFiles.end(),
                                        [](const std::string& file) { return !file.empty(); }));
}

void SwapSlots(MakerState& state, MainView& view, const std::string& work_dir, int a, int b) {
  CheckSlotNumber(a);
  CheckSlotNumber(b);
  Destinations to = Unchanged();
  to[a - 1] = b - 1;
  to[b - 1] = a - 1;
  Rearrange(state, view, work_dir, to);
}

void ReverseSlots(MakerState& state, MainView& view, const std::string& work_dir) {
  std::vector<int> filled;
  for (int i = 0; i < kSlotCount; ++i) {
    if (!state.photos.SlotFiles[i].empty()) filled.push_back(i);
  }
  Destinations to = Unchanged();
  for (size_t k = 0; k < filled.size(); ++k) to[filled[k]] = filled[filled.size() - 1 - k];
  Rearrange(state, view, work_dir, to);
}

void MoveSlotPhotos(MakerState& state, MainView& view, const std::string& work_dir, const SlotMoves& to) {
  Rearrange(state, view, work_dir, to);
}

void RemovePhoto(MakerState& state, MainView& view, const std::string& work_dir, int slot) {
  CheckSlotNumber(slot);
  if (state.photos.SlotFiles[slot - 1].empty()) return;
  Destinations to = Unchanged();
  to[slot - 1] = std::nullopt;
  Rearrange(state, view, work_dir, to);
}

}  // namespace lenti
