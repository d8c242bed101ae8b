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
base=/dev/shm
[[ -d $base && -w $base ]] || base=${TMPDIR:-/tmp}
scratch=$(mktemp -d "$base/kvo-bench.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
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

now() { echo "${EPOCHREALTIME/./}"; }
timed() {
  local start end
  start=$(now)
  "$@" >/dev/null
  end=$(now)
  echo $((end - start))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

kvo_samples=""
unzip_samples=""
for ((round = 0; round < rounds; round++)); do
  unzip_samples+="$(timed unzip -q "$scratch/bench.zip" -d "$scratch/unzipped") "
  [[ -f "$scratch/unzipped/$mod/tex0001.bmp" ]] || { echo "unzip did not unpack" >&2; exit 1; }
  rm -rf "$scratch/unzipped"
  kvo_samples+="$(timed "$kvo" --game-dir "$game" install "$scratch/bench.zip") "
  cmp -s "$game/KVO128/$mod/tex2000.bmp" "$scratch/pack/$mod/tex2000.bmp" ||
    { echo "kvo install did not unpack" >&2; exit 1; }
  rm -rf "${game:?}/KVO128/$mod"
done

ours=$(tr ' ' '\n' <<<"$kvo_samples" | grep . | median)
theirs=$(tr ' ' '\n' <<<"$unzip_samples" | grep . | median)
echo "median of $rounds rounds, zip of 2,000 x 64 KiB ($(du -h "$scratch/bench.zip" | cut -f1)) in $base"
awk -v a="$ours" -v b="$theirs" 'BEGIN {
  printf "%-32s %10.1f ms   %-20s %10.1f ms   %5.2fx (target <= 1.5)\n",
         "kvo install", a / 1000, "unzip -q", b / 1000, a / b }'
