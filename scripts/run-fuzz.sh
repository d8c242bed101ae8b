#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs every one of them for a while, each on a
# fresh corpus seeded with the files of a demo game folder. Any crash, leak, sanitizer report
# or failed check fails the script; the input that caused it is kept under build/fuzz/crashes.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${KVO_FUZZ_SECONDS:-30}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
build/fuzz/tools/kvo-demo/kvo-demo "$scratch/demo" >/dev/null
crashes=build/fuzz/crashes
mkdir -p "$crashes"

shopt -s nullglob
sources=(tests/fuzz/*.cpp)
if [[ ${#sources[@]} -eq 0 ]]; then
  echo "no fuzz targets in tests/fuzz" >&2
  exit 1
fi

failed=()
for source in "${sources[@]}"; do
  name=$(basename "$source" .cpp)
  corpus="$scratch/corpus-$name"
  mkdir "$corpus"
  # Small files only: the demo's game files are the shapes the readers meet in a game folder.
  find "$scratch/demo" -type f -size -64k -exec cp --backup=numbered -t "$corpus" {} +
  echo "=== $name for ${seconds}s"
  if ! "build/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$crashes/$name-" "$corpus" 2>"$scratch/$name.log"; then
    tail -n 40 "$scratch/$name.log" >&2
    failed+=("$name")
  else
    grep -E '^(stat::number_of_executed_units|Done )' "$scratch/$name.log" || true
  fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzz targets that failed: ${failed[*]} (inputs in $crashes)" >&2
  exit 1
fi
echo "all ${#sources[@]} fuzz targets ran ${seconds}s each without a finding"
