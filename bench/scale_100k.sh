#!/usr/bin/env bash
# Whole-process timings and peak memory of kvo on a mod folder of 100,000 files, beside the
# platform tools doing the same file work, in one run, in a memory-backed folder:
#   kvo click (loads the 100,000 files)       beside  cp of the same files
#   kvo click (unloads them again)            beside  rm of the same files
#   kvo click (loads one file while the deployment record holds 100,000 lines)
# Peak memory comes from /usr/bin/time -v (maximum resident set size).
# Usage: bench/scale_100k.sh [KVO] [KVO_DEMO] [ROUNDS] [FILES]
set -euo pipefail
cd "$(dirname "$0")/.."
kvo=${1:-build/release/src/kvo}
demo=${2:-build/release/tools/kvo-demo/kvo-demo}
rounds=${3:-3}
files=${4:-100000}
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is needed for the memory figures" >&2; exit 2; }
source bench/bench_common.sh
bench_scratch kvo-scale
game="$scratch/game"
mod_name="G-Huge Textures"
one_name="G-One Texture"

"$demo" "$game" >/dev/null
mod="$game/KVO128/$mod_name"
mkdir -p "$mod" "$game/KVO128/$one_name"
head -c 384 /dev/urandom | base64 -w 0 >"$scratch/block"
block=$(<"$scratch/block")
for ((i = 1; i <= files; i++)); do printf '%s' "$block" >"$mod/huge$(printf '%06d' "$i").tpc"; done
cp "$scratch/block" "$game/KVO128/$one_name/one.tpc"
[[ $(find "$mod" -maxdepth 1 -type f | wc -l) -eq $files ]] || { echo "mod folder not made" >&2; exit 1; }

# Runs the command given; prints "MICROSECONDS KILOBYTES" (wall time, peak resident set).
measured() {
  local report
  report=$(/usr/bin/time -f '%e %M' "$@" 2>&1 >/dev/null | tail -n 1)
  awk '{ printf "%d %d\n", $1 * 1000000, $2 }' <<<"$report"
}
largest() { sort -n | tail -n 1; }

declare -A time mem
add() { time[$1]+="$2 "; mem[$1]+="$3 "; }
for ((round = 0; round < rounds; round++)); do
  read -r t m < <(measured "$kvo" --game-dir "$game" click "$mod_name")
  add load "$t" "$m"
  [[ -f $game/huge000001.tpc ]] || { echo "kvo click did not load $mod_name" >&2; exit 1; }
  read -r t m < <(measured "$kvo" --game-dir "$game" click "$one_name")
  add one "$t" "$m"
  "$kvo" --game-dir "$game" click "$one_name" >/dev/null
  read -r t m < <(measured "$kvo" --game-dir "$game" click "$mod_name")
  add unload "$t" "$m"
  [[ ! -e $game/huge000001.tpc ]] || { echo "kvo click did not unload $mod_name" >&2; exit 1; }
  read -r t m < <(measured find "$mod" -maxdepth 1 -type f -exec cp -t "$game" {} +)
  add cp "$t" "$m"
  read -r t m < <(measured find "$game" -maxdepth 1 -name 'huge*.tpc' -exec rm {} +)
  add rm "$t" "$m"
done

mb() { awk -v kb="$1" 'BEGIN { printf "%.0f MB", kb / 1024 }'; }
of() { tr ' ' '\n' <<<"$1" | grep . | "$2"; }
scale_row() {
  local ours theirs
  ours=$(of "${time[$1]}" median)
  theirs=$(of "${time[$2]}" median)
  printf '%-44s %9s %8s   %-26s %9s   %5.2fx (target <= %s), peak <= 150 MB\n' "$3" \
    "$(ms "$ours")" "$(mb "$(of "${mem[$1]}" largest)")" "$4" "$(ms "$theirs")" \
    "$(awk -v a="$ours" -v b="$theirs" 'BEGIN { print a / b }')" "$5"
}
echo "median time and largest peak of $rounds rounds, $files files of 512 bytes, in $base"
scale_row load cp "kvo click (load $files files)" "cp of the same files" 1.3
scale_row unload rm "kvo click (unload them)" "rm of the same files" 2
printf '%-44s %9s %8s   (target <= 300 ms)\n' "kvo click (one file, record of $files lines)" \
  "$(ms "$(of "${time[one]}" median)")" "$(mb "$(of "${mem[one]}" largest)")"
