#!/usr/bin/env bash
# Whole-process timings of kvo beside the platform tools doing the same file work, in one run,
# in a memory-backed folder so that disk noise does not hide ours:
#   kvo status                      beside  find GAME -maxdepth 1
#   kvo click (loads 2,000 files)   beside  cp of the same files
#   kvo click (unloads them again)  beside  rm of the same files
# on a game folder of 20,000 files. Prints the median of each and the ratio.
# When KVO_BASELINE names another kvo binary, that one loads and unloads the same files in
# the same rounds too, and its medians are printed beside ours with the ratio ours/baseline.
# Usage: [KVO_BASELINE=OTHER_KVO] bench/whole_process.sh [KVO] [KVO_DEMO] [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
kvo=${1:-build/release/src/kvo}
demo=${2:-build/release/tools/kvo-demo/kvo-demo}
rounds=${3:-9}
baseline=${KVO_BASELINE:-}
[[ -z $baseline || -x $baseline ]] || { echo "KVO_BASELINE=$baseline is no program" >&2; exit 2; }
base=/dev/shm
[[ -d $base && -w $base ]] || base=${TMPDIR:-/tmp}
scratch=$(mktemp -d "$base/kvo-bench.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
game="$scratch/game"
mod_name="G-Bench Textures"

"$demo" "$game" >/dev/null
for i in $(seq -w 1 20000); do printf 'x' >"$game/filler$i.dat"; done
mod="$game/KVO128/$mod_name"
mkdir -p "$mod"
head -c 65536 /dev/urandom >"$scratch/block"
for i in $(seq -w 1 2000); do cp "$scratch/block" "$mod/tex$i.bmp"; done
copies=("$mod"/tex*.bmp)
targets=("${copies[@]/#$mod/$game}")

now() { echo "${EPOCHREALTIME/./}"; }
# Runs the command given and prints its wall time in microseconds.
timed() {
  local start end
  start=$(now)
  "$@" >/dev/null
  end=$(now)
  echo $((end - start))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

declare -A samples
# Loads and then unloads the mod folder with the kvo given, into samples[PREFIXload] and
# samples[PREFIXunload], checking that the files came and went.
load_and_unload() {
  local program=$1 prefix=$2
  samples[${prefix}load]+="$(timed "$program" --game-dir "$game" click "$mod_name") "
  [[ -f ${targets[0]} ]] || { echo "$program click did not load $mod_name" >&2; exit 1; }
  samples[${prefix}unload]+="$(timed "$program" --game-dir "$game" click "$mod_name") "
  [[ ! -e ${targets[0]} ]] || { echo "$program click did not unload $mod_name" >&2; exit 1; }
}
for ((round = 0; round < rounds; round++)); do
  samples[status]+="$(timed "$kvo" --game-dir "$game" status) "
  samples[find]+="$(timed find "$game" -maxdepth 1) "
  load_and_unload "$kvo" ""
  [[ -z $baseline ]] || load_and_unload "$baseline" base
  samples[cp]+="$(timed cp "${copies[@]}" "$game/") "
  samples[rm]+="$(timed rm "${targets[@]}") "
done

ms() { awk -v us="$1" 'BEGIN { printf "%.1f ms", us / 1000 }'; }
row() {
  local ours theirs
  ours=$(tr ' ' '\n' <<<"${samples[$1]}" | grep . | median)
  theirs=$(tr ' ' '\n' <<<"${samples[$2]}" | grep . | median)
  printf '%-32s %10s   %-28s %10s   %5.2fx%s\n' "$3" "$(ms "$ours")" "$4" \
    "$(ms "$theirs")" "$(awk -v a="$ours" -v b="$theirs" 'BEGIN { print a / b }')" \
    "${5:+ (target $5)}"
}
echo "median of $rounds rounds, game folder of 20,000 files in $base"
row status find "kvo status" "find GAME -maxdepth 1" "<= 2"
row load cp "kvo click (load 2,000 x 64 KiB)" "cp of the same files" "<= 1.2"
row unload rm "kvo click (unload them)" "rm of the same files" "<= 2"
if [[ -n $baseline ]]; then
  echo "beside the baseline $baseline:"
  row load baseload "kvo click (load 2,000 x 64 KiB)" "baseline click (load)"
  row unload baseunload "kvo click (unload them)" "baseline click (unload)"
fi
