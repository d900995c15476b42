// The order of the photos in the slots: the natural order of file names,
// swapping two slots, reversing the filled slots and emptying one.
//
// A slot's photo travels with everything that belongs to it: its file, its
// working files ("tNN.bmp" when the slot file is its converted photo,
// "xNN.bmp" when a merge prepared its frame), its thumbnail and its crop
// record and scale. Every command moves the working files first, through
// temporary names, and changes the slots only when all moves succeeded; a
// failure puts back the files already moved and leaves every slot as it was.
//
// After each command FrameCount is the highest filled slot (never below 2);
// a command that changed any slot from 3 on recomputes StripWidth with the
// import's rule, as an import into those slots does.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/maker_state.h"
#include "core/views.h"

namespace lenti {

// Natural order of names: runs of digits compare by their value ("IMG_2"
// before "IMG_10"), letters without regard to ASCII case; names equal so
// far fall back to the plain byte order, so the order is total.
bool NaturalLess(const std::string& a, const std::string& b);

// `paths` in the natural order of their file names (the folders decide only
// between equal names).
std::vector<std::string> NaturalOrder(std::vector<std::string> paths);

// The name of a file without its folder, as the messages name it.
std::string FileNameOf(const std::string& path);
// Raises "There is no photo slot N" for a number outside 1..16.
void CheckSlotNumber(int slot);

// The first slot (1..16) without a photo; 0 when every slot is filled.
int FirstEmptySlot(const SlotState& photos);
// The highest filled slot (1..16); 0 when none is.
int HighestFilledSlot(const SlotState& photos);
// How many slots hold a photo.
int FilledSlotCount(const SlotState& photos);

// Swaps the photos of slots a and b (1..16); one of them may be empty, so
// that the photo moves. The selection follows the photo it showed.
void SwapSlots(MakerState& state, MainView& view, const std::string& work_dir, int a, int b);

// "Reverse order": the photos of the filled slots in reverse order, in the
// same slots (gaps stay where they are).
void ReverseSlots(MakerState& state, MainView& view, const std::string& work_dir);

// Slot i's photo (0-based) goes to slot to[i], or away when it has none; a
// photo arriving replaces what was there. Used to bring the slots back to
// a job's order without reading any photo again.
using SlotMoves = std::array<std::optional<int>, kSlotCount>;
void MoveSlotPhotos(MakerState& state, MainView& view, const std::string& work_dir, const SlotMoves& to);

// "Remove photo": empties the slot and deletes its working files; an empty
// slot is left alone. When it was the current slot the view goes blank and
// the crop rectangle is hidden.
void RemovePhoto(MakerState& state, MainView& view, const std::string& work_dir, int slot);

}  // namespace lenti
