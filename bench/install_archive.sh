#!/usr/bin/env bash
# Whole-process timing of `kvo install` beside `unzip -q` of the same zip, in one run, in a
# memory-backed folder so that disk noise does not hide ours: a zip of 2,000 files of 64 KiB
# (half random, half text, so that inflating counts) whose one top folder names the mod.
# Prints the median of each and the ratio (target: at most 1.5).
# Needs zip and unzip. Usage: bench/install_archive.sh [KVO] [KVO_DEMO] [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
kvo=${1:-build/release/src/kvo}
demo=${2:-build/release/tools/kvo-demo/kvo-demo}
rounds=${3:-9}
source bench/bench_common.sh
bench_scratch kvo-bench
game="$scratch/game"
mod="T-Bench Archive"

"$demo" "$game" >/dev/null
"$kvo" --game-dir "$game" status >/dev/null  # the first start makes what a start makes
mkdir -p "$scratch/pack/$mod"
head -c 32768 /dev/urandom >"$scratch/random"
awk 'BEGIN { line = "KVO bench terrain line of text for the deflate stream to chew on\n"
             while (length(text) < 32768) text = text line
             printf "%s", substr(text, 1, 32768) }' >"$scratch/text"
for i in $(seq -w 1 2000); do
  cat "$scratch/random" "$scratch/text" >"$scratch/pack/$mod/tex$i.bmp"
done
(cd "$scratch/pack" && zip -q -r "$scratch/bench.zip" "$mod")

declare -A samples
for ((round = 0; round < rounds; round++)); do
  samples[unzip]+="$(timed unzip -q "$scratch/bench.zip" -d "$scratch/unzipped") "
  [[ -f "$scratch/unzipped/$mod/tex0001.bmp" ]] || { echo "unzip did not unpack" >&2; exit 1; }
  rm -rf "$scratch/unzipped"
  samples[install]+="$(timed "$kvo" --game-dir "$game" install "$scratch/bench.zip") "
  cmp -s "$game/KVO128/$mod/tex2000.bmp" "$scratch/pack/$mod/tex2000.bmp" ||
    { echo "kvo install did not unpack" >&2; exit 1; }
  rm -rf "${game:?}/KVO128/$mod"
done

echo "median of $rounds rounds, zip of 2,000 x 64 KiB ($(du -h "$scratch/bench.zip" | cut -f1)) in $base"
row install unzip "kvo install" "unzip -q" "<= 1.5"
