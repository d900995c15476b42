#!/usr/bin/env bash
# scripts/check-state-writers on a small tree: writes by the folders a group's row names pass
# (reads, comparisons and const references are no writes); a write by any other folder, direct
# or through a reference, fails and names the file, the line and the group.
# Usage: state_writers_test.sh CHECKER
set -uo pipefail
checker=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/core" "$work/intake" "$work/ui" "$work/delivery"
cat >"$work/core/maker_state.h" <<'ROWS'
// | group     | what    | written by                    | read by  |
// | `photos`  | slots   | intake/ (import)              | ui/      |
// | `merged`  | picture | interlace/, delivery/ (saved) | ui/      |
ROWS
cat >"$work/intake/slots.cpp" <<'CODE'
state.photos.FrameCount = 3;
state.photos.SlotFiles[2].clear();
CODE
cat >"$work/ui/window.cpp" <<'CODE'
if (state_.photos.FrameCount == 2) show(state_.merged.MergedBitmap);
const SlotState& photos = state_.photos;  // a read
CODE
cat >"$work/delivery/save.cpp" <<'CODE'
state.merged.Delivered = true;
CODE
fail=0
if ! out=$(perl "$checker" "$work"); then echo "clean tree refused: $out"; fail=1; fi
for planted in 'state_.merged.Delivered = true;' 'SlotState& photos = state_.photos;' \
               'state_.photos.CropSources[i].reset();'; do
  printf '%s\n' "$planted" >"$work/ui/planted.cpp"
  out=$(perl "$checker" "$work") && { echo "not refused: $planted"; fail=1; }
  grep -q "ui/planted.cpp:1: ui/ writes" <<<"$out" || { echo "no file and line for: $planted ($out)"; fail=1; }
done
rm "$work/ui/planted.cpp"
exit $fail
