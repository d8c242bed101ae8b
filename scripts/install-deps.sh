#!/usr/bin/env bash
# Installs the Debian packages the selector needs to build, run and test; skips the ones
# that are already there so repeated runs stay fast.
set -euo pipefail

# libclang-rt-dev holds libFuzzer and clang's sanitizer runtimes; clang only recommends it,
# and recommends are not installed below.
# zip and unzip are for the install benchmark, which times unzip beside kvo install.
# The -dev packages after libarchive-dev are the libraries its static form links with;
# libjemalloc-dev is the allocator linked into the program.
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev libarchive-dev
          nettle-dev libacl1-dev liblzma-dev libzstd-dev liblz4-dev libbz2-dev zlib1g-dev
          libxml2-dev libjemalloc-dev libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-dev ccache zip
          unzip)
for flag in "$@"; do
  case "$flag" in
    # The Windows cross build and its tests under Wine: dpkg-dev unpacks the Debian sources of
    # the libraries build-windows-deps.sh builds; the window tests read DejaVu fonts; the test
    # of the zipped window needs a virtual display, xdotool, screenshots and text recognition.
    --windows) packages+=(g++-mingw-w64-x86-64-posix wine64 googletest dpkg-dev fonts-dejavu-core
                          xvfb xdotool imagemagick tesseract-ocr tesseract-ocr-eng unzip) ;;
    # Building, checking and installing the .deb, and the Windows zip.
    --package) packages+=(dpkg-dev fakeroot lintian desktop-file-utils appstream man-db unzip) ;;
    *) echo "install-deps.sh: unknown option $flag" >&2; exit 2 ;;
  esac
done

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
# Another apt-get (an update in the background) may hold the lock for a while.
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
  -o DPkg::Lock::Timeout=600 "${missing[@]}"
