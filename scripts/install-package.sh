#!/usr/bin/env bash
# Builds the Debian package of the selector and installs it with apt-get: kvo and kvo-demo in
# /usr/bin, the menu entry "KVO selector" and the manual page (man kvo).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --package
cmake --preset package >/dev/null
cmake --build --preset package
cpack --preset package
deb=$(ls build/package/packages/kvo_*.deb)

sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
  -o DPkg::Lock::Timeout=600 "./$deb"
echo "Installed $deb: start \"KVO selector\" from the menu, or run kvo --help"
