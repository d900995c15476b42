#!/usr/bin/env bash
# Timed command-line runs: `vexaro merge` of 16 photos of 12 megapixels
# (4000 x 3000 JPEG, made by the program): the median wall time of 5 runs
# and the peak memory (maximum resident set size, must stay under 400 MB).
# The ratio to the plain-program floor is bench_merge_floor_bench's
# BM_VexaroMerge against BM_Floor/threads:2, measured in one run.
#   bash bench/merge_cli.sh <build dir>
set -euo pipefail
build=${1:-build}
vexaro="$build/app/vexaro"
maker="$build/bench/bench_merge_floor_bench"
for exe in "$vexaro" "$maker"; do
  [[ -x "$exe" ]] || { echo "merge_cli: $exe is missing" >&2; exit 1; }
done
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$maker" --write-photos "$dir" 4000 3000 16
photos=()
for i in $(seq 1 16); do photos+=("$dir/photo$i.jpg"); done

times=()
for run in 1 2 3 4 5; do
  start=$(date +%s%N)
  "$vexaro" merge -o "$dir/out.bmp" "${photos[@]}" >/dev/null
  end=$(date +%s%N)
  times+=($(( (end - start) / 1000000 )))
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)
echo "vexaro merge, 16 photos of 4000 x 3000: median ${median} ms (runs: ${times[*]})"

peak_kb=$(/usr/bin/time -v "$vexaro" merge -o "$dir/out.bmp" "${photos[@]}" 2>&1 >/dev/null |
  awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}')
peak_mb=$(( peak_kb / 1024 ))
echo "vexaro merge, 16 photos of 4000 x 3000: peak memory ${peak_mb} MB (limit 400 MB)"
if (( peak_mb >= 400 )); then
  echo "merge_cli: peak memory over 400 MB" >&2
  exit 1
fi
