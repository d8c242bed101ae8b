#!/usr/bin/env bash
# Whole-process timings of kvo beside the platform tools doing the same file work, in one run,
# in a memory-backed folder so that disk noise does not hide ours:
#   kvo status                        beside  find GAME -maxdepth 1
#   kvo --dry-run click (2,000 files) beside  kvo status
#   its file-system work alone        beside  kvo status (bench/dry_run_floor: lists the folder,
#                                             looks up each file and its name in the game folder)
#   kvo click (loads 2,000 files)     beside  cp of the same files
#   kvo click (unloads them again)    beside  rm of the same files
#   kvo run-script (10 folders)       beside  cp of their 2,000 files and rm of the 600 files
#                                             of the three folders they swap out
# on a game folder of 20,000 files. Prints the median of each and the ratio.
# When KVO_BASELINE names another kvo binary, that one loads, unloads and replays the same files
# in the same rounds too, and its medians are printed beside ours with the ratio ours/baseline.
# Usage: [KVO_BASELINE=OTHER_KVO] bench/whole_process.sh [KVO] [KVO_DEMO] [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
kvo=${1:-build/release/src/kvo}
demo=${2:-build/release/tools/kvo-demo/kvo-demo}
rounds=${3:-9}
floor_tool="$(dirname "$kvo")/../bench/dry_run_floor"
baseline=${KVO_BASELINE:-}
[[ -z $baseline || -x $baseline ]] || { echo "KVO_BASELINE=$baseline is no program" >&2; exit 2; }
source bench/bench_common.sh
bench_scratch kvo-bench
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

# The set: ten folders of 200 files each; three of them take the place of a loaded folder of
# their category (terrain, sky, clouds), the other seven load beside the rest.
new_folders=("T-Set Terrain" "H-Set Sky" "R-Set Clouds")
old_folders=("T-Old Terrain" "H-Old Sky" "R-Old Clouds")
for i in 1 2 3 4 5 6 7; do new_folders+=("G-Set $i"); done
fill_folder() {  # FOLDER PREFIX
  mkdir -p "$game/KVO128/$1"
  for i in $(seq -w 1 200); do cp "$scratch/block" "$game/KVO128/$1/$2$i.tpc"; done
}
for n in "${!new_folders[@]}"; do fill_folder "${new_folders[$n]}" "set$n-"; done
for n in "${!old_folders[@]}"; do fill_folder "${old_folders[$n]}" "old$n-"; done
printf '%s\r\n' "${new_folders[@]}" >"$game/KVO128/Autoscripts/Bench Set.set"
printf '%s\r\n' "${old_folders[@]}" >"$game/KVO128/Autoscripts/Bench Old.set"
set_copies=()
for folder in "${new_folders[@]}"; do set_copies+=("$game/KVO128/$folder"/*.tpc); done
old_copies=()
for folder in "${old_folders[@]}"; do old_copies+=("$game/KVO128/$folder"/*.tpc); done
set_targets=("${set_copies[@]##*/}")
set_targets=("${set_targets[@]/#/$game/}")
old_targets=("${old_copies[@]##*/}")
old_targets=("${old_targets[@]/#/$game/}")

cp_and_rm() {
  cp "${set_copies[@]}" "$game/"
  rm "${old_targets[@]}"
}

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
# Replays the set over the three old folders with the kvo given into samples[PREFIXreplay],
# then puts the old folders back untimed.
replay_set() {
  local program=$1 prefix=$2
  samples[${prefix}replay]+="$(timed "$program" --game-dir "$game" run-script "Bench Set.set") "
  [[ -f ${set_targets[0]} && ! -e ${old_targets[0]} ]] || { echo "the set did not load" >&2; exit 1; }
  for i in 1 2 3 4 5 6 7; do quiet "$kvo" --game-dir "$game" click "G-Set $i"; done
  quiet "$kvo" --game-dir "$game" run-script "Bench Old.set"
  [[ ! -e ${set_targets[0]} && -f ${old_targets[0]} ]] || { echo "the set did not go" >&2; exit 1; }
}
quiet "$kvo" --game-dir "$game" run-script "Bench Old.set"
for ((round = 0; round < rounds; round++)); do
  samples[status]+="$(timed "$kvo" --game-dir "$game" status) "
  samples[find]+="$(timed find "$game" -maxdepth 1) "
  samples[dryrun]+="$(timed "$kvo" --game-dir "$game" --dry-run click "$mod_name") "
  [[ ! -x $floor_tool ]] || samples[floor]+="$(timed "$floor_tool" "$game" "$mod") "
  load_and_unload "$kvo" ""
  [[ -z $baseline ]] || load_and_unload "$baseline" base
  samples[cp]+="$(timed cp "${copies[@]}" "$game/") "
  samples[rm]+="$(timed rm "${targets[@]}") "
  replay_set "$kvo" ""
  [[ -z $baseline ]] || replay_set "$baseline" base
  samples[cprm]+="$(timed cp_and_rm) "
  rm "${set_targets[@]}"
  cp "${old_copies[@]}" "$game/"
done

echo "median of $rounds rounds, game folder of 20,000 files in $base"
row status find "kvo status" "find GAME -maxdepth 1" "<= 1.4"
row dryrun status "kvo --dry-run click (2,000 files)" "kvo status" "<= 1.2"
[[ ! -x $floor_tool ]] || row floor status "  its file-system work alone" "kvo status"
row load cp "kvo click (load 2,000 x 64 KiB)" "cp of the same files" "<= 1.2"
row unload rm "kvo click (unload them)" "rm of the same files" "<= 1.8"
row replay cprm "kvo run-script (10 folders)" "cp 2,000 + rm 600 files" "<= 1.3"
if [[ -n $baseline ]]; then
  echo "beside the baseline $baseline:"
  row load baseload "kvo click (load 2,000 x 64 KiB)" "baseline click (load)"
  row unload baseunload "kvo click (unload them)" "baseline click (unload)"
  row replay basereplay "kvo run-script (10 folders)" "baseline run-script"
fi
