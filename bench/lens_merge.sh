#!/usr/bin/env bash
# Timed command-line runs of the lens settings: `vexaro merge` of 16 photos of
# 12 megapixels (4000 x 3000 JPEG) the classic way (nearest to 300 dpi:
# 1940 x 2342 px) against a printer's native resolution (--dpi 720 --lpi 40:
# 4110 x 4961 px, 18 px per lens), nearest and area sampling, upright and
# across. Median wall time of 5 runs each, and the time per output megapixel.
# Targets: native within 1.5x of the classic per output megapixel; area within
# 2x of nearest.
#   bash bench/lens_merge.sh <build dir>
set -euo pipefail
build=${1:-build}
vexaro="$build/app/vexaro"
maker="$build/bench/bench_merge_floor_bench"
for exe in "$vexaro" "$maker"; do
  [[ -x "$exe" ]] || { echo "lens_merge: $exe is missing" >&2; exit 1; }
done
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$maker" --write-photos "$dir" 4000 3000 16
photos=()
for i in $(seq 1 16); do photos+=("$dir/photo$i.jpg"); done

# median_ms NAME OPTIONS...: prints "NAME median_ms megapixels".
median_ms() {
  local name=$1
  shift
  local times=() line=""
  for run in 1 2 3 4 5; do
    local start end
    start=$(date +%s%N)
    line=$("$vexaro" merge -o "$dir/out.bmp" "$@" "${photos[@]}")
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000000 )))
  done
  local median size
  median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)
  size=$(sed -E 's/.*: ([0-9]+) x ([0-9]+) px.*/\1 \2/' <<<"$line")
  local mp
  mp=$(awk -v s="$size" 'BEGIN { split(s, a, " "); printf "%.3f", a[1] * a[2] / 1e6 }')
  echo "$name $median $mp (runs: ${times[*]})"
}

report() {  # NAME MEDIAN MP
  awk -v n="$1" -v t="$2" -v mp="$3" 'BEGIN { printf "%-22s median %6d ms, %7.3f MP out, %7.1f ms per output MP\n", n, t, mp, t / mp }'
}

results=()
results+=("$(median_ms classic)")
results+=("$(median_ms native_720dpi --dpi 720 --lpi 40)")
results+=("$(median_ms native_area --dpi 720 --lpi 40 --sampling area)")
results+=("$(median_ms classic_across --mode landscape)")
results+=("$(median_ms native_across --mode landscape --dpi 720 --lpi 40)")
results+=("$(median_ms native_across_area --mode landscape --dpi 720 --lpi 40 --sampling area)")
for r in "${results[@]}"; do
  read -r name t mp _ <<<"$r"
  report "$name" "$t" "$mp"
  eval "t_$name=$t mp_$name=$mp"
done
awk -v c="$t_classic" -v cm="$mp_classic" -v n="$t_native_720dpi" -v nm="$mp_native_720dpi" \
    -v a="$t_native_area" -v ca="$t_classic_across" -v cam="$mp_classic_across" \
    -v na="$t_native_across" -v nam="$mp_native_across" -v aa="$t_native_across_area" 'BEGIN {
  printf "native / classic per output MP: %.2f upright, %.2f across (target <= 1.5)\n", (n / nm) / (c / cm), (na / nam) / (ca / cam)
  printf "area / nearest: %.2f upright, %.2f across (target <= 2)\n", a / n, aa / na
}'
