#!/usr/bin/env bash
# Builds and runs every test: the normal build, the build under AddressSanitizer and
# UndefinedBehaviorSanitizer, the core tests once more as an unprivileged user (root
# ignores read-only bits, so the permission tests only bite there), the Windows build with its
# window under Wine (its Qt and libarchive are built once into a cache outside the checkout),
# the fuzz targets, and the Debian package and Windows zip with its window.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --package --windows

for preset in default asan; do
  echo "=== $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "=== $preset tests"
  ctest --preset "$preset"
done

if [[ $(id -u) -eq 0 ]] && id nobody >/dev/null 2>&1; then
  echo "=== core tests as an unprivileged user"
  scratch=$(mktemp -d)
  # The checkout may lie where the test user cannot go, so the programs travel with it.
  cp build/default/tests/kvo_core_tests build/default/src/kvo \
     build/default/tools/kvo-demo/kvo-demo "$scratch/"
  mkdir "$scratch/tmp"
  chmod 755 "$scratch"
  chown nobody "$scratch/tmp"
  (cd "$scratch" && setpriv --reuid=nobody --regid=nogroup --clear-groups --reset-env \
    env TMPDIR="$scratch/tmp" HOME="$scratch/tmp" KVO_BINARY="$scratch/kvo" \
    KVO_DEMO_BINARY="$scratch/kvo-demo" ./kvo_core_tests --gtest_brief=1)
  rm -rf "$scratch"
fi

echo "=== Windows build and tests under Wine"
scripts/run-windows-tests.sh

echo "=== fuzz targets of the file readers (libFuzzer, ASan/UBSan)"
scripts/run-fuzz.sh

echo "=== Debian package and Windows zip"
scripts/run-package-tests.sh
