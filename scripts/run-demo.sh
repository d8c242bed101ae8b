#!/usr/bin/env bash
# Builds the selector and opens it on a demo game folder written by kvo-demo.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target kvo kvo-demo
[[ -d demo-game ]] || build/default/tools/kvo-demo/kvo-demo demo-game
exec build/default/src/kvo --game-dir demo-game
