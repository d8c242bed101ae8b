#!/usr/bin/env bash
# Whole-process timings of a load by hard links and of a load by copies, each beside cp of the
# same files, in one run and in a memory-backed folder so that disk noise does not hide ours:
#   kvo click, deploy-by link (2,000 files of 64 KiB)  beside  cp of the same files
#   kvo click, deploy-by link (60 files of 8 MB)       beside  cp of the same files
#   kvo click, deploy-by copy (the same two folders)   beside  cp of the same files
# Each load is unloaded again untimed before the next round. Prints the median of each and the
# ratio, with the target beside it.
# Usage: bench/linked_load.sh [KVO] [KVO_DEMO] [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
kvo=${1:-build/release/src/kvo}
demo=${2:-build/release/tools/kvo-demo/kvo-demo}
rounds=${3:-9}
source bench/bench_common.sh
bench_scratch kvo-bench
game="$scratch/game"
small="G-Bench Textures"
big="T-Bench Terrain"

"$demo" "$game" >/dev/null
head -c 65536 /dev/urandom >"$scratch/block"
mkdir -p "$game/KVO128/$small" "$game/KVO128/$big"
for i in $(seq -w 1 2000); do cp "$scratch/block" "$game/KVO128/$small/tex$i.bmp"; done
for i in $(seq -w 1 60); do
  head -c 8388608 /dev/urandom >"$game/KVO128/$big/terrain$i.ter"
done
small_files=("$game/KVO128/$small"/*)
big_files=("$game/KVO128/$big"/*)

links_of() { stat -c %h "$1"; }

declare -A samples
# Loads FOLDER with the way set, checks that its first file came as that way puts it (a second
# name of the folder's file, or a file of its own), and unloads it again untimed.
load_by() {  # WAY FOLDER FIRST_FILE SAMPLE
  local way=$1 folder=$2 first=$3 key=$4 wanted=1
  [[ $way == link ]] && wanted=2
  samples[$key]+="$(timed "$kvo" --game-dir "$game" click "$folder") "
  [[ $(links_of "$first") == "$wanted" && -f $game/${first##*/} ]] ||
    { echo "the $way load of $folder did not put its files in place" >&2; exit 1; }
  quiet "$kvo" --game-dir "$game" click "$folder"
  [[ ! -e $game/${first##*/} ]] || { echo "$folder did not unload" >&2; exit 1; }
}
# cp of the files into the game folder, then rm of them untimed.
cp_of() {  # SAMPLE FILES...
  local key=$1
  shift
  samples[$key]+="$(timed cp "$@" "$game/") "
  local names=("${@##*/}")
  rm "${names[@]/#/$game/}"
}

for ((round = 0; round < rounds; round++)); do
  quiet "$kvo" --game-dir "$game" deploy-by link
  load_by link "$small" "${small_files[0]}" linksmall
  cp_of cpsmall "${small_files[@]}"
  load_by link "$big" "${big_files[0]}" linkbig
  cp_of cpbig "${big_files[@]}"
  quiet "$kvo" --game-dir "$game" deploy-by copy
  load_by copy "$small" "${small_files[0]}" copysmall
  load_by copy "$big" "${big_files[0]}" copybig
done

echo "median of $rounds rounds in $base"
row linksmall cpsmall "kvo click, link (2,000 x 64 KiB)" "cp of the same files" "<= 0.35"
row linkbig cpbig "kvo click, link (60 x 8 MB)" "cp of the same files" "<= 0.1"
row copysmall cpsmall "kvo click, copy (2,000 x 64 KiB)" "cp of the same files" "<= 1.2"
row copybig cpbig "kvo click, copy (60 x 8 MB)" "cp of the same files"
