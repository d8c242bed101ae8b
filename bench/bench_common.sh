# What the whole-process benchmarks share: a scratch folder in memory, wall times, medians, and
# a row of ours beside the platform tool's. Sourced by the bench/*.sh scripts, not run.

# Makes $scratch, a new folder named PREFIX.XXXXXX in /dev/shm (else $TMPDIR), so that disk
# noise does not hide ours, and removes it when the script ends; $base is where it lies.
bench_scratch() {
  base=/dev/shm
  [[ -d $base && -w $base ]] || base=${TMPDIR:-/tmp}
  scratch=$(mktemp -d "$base/$1.XXXXXX")
  trap 'rm -rf "$scratch"' EXIT
}

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
ms() { awk -v us="$1" 'BEGIN { printf "%.1f ms", us / 1000 }'; }
quiet() { "$@" >/dev/null || { echo "$* failed" >&2; exit 1; }; }

# Prints one row from the caller's associative array `samples` (keys to microseconds, space
# separated): OURS THEIRS OUR_LABEL THEIR_LABEL [TARGET], with the medians and their ratio.
row() {
  local ours theirs
  ours=$(tr ' ' '\n' <<<"${samples[$1]}" | grep . | median)
  theirs=$(tr ' ' '\n' <<<"${samples[$2]}" | grep . | median)
  printf '%-40s %10s   %-30s %10s   %5.2fx%s\n' "$3" "$(ms "$ours")" "$4" \
    "$(ms "$theirs")" "$(awk -v a="$ours" -v b="$theirs" 'BEGIN { print a / b }')" \
    "${5:+ (target $5)}"
}
