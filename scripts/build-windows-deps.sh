#!/usr/bin/env bash
# Builds, once, the libraries the windows preset links into kvo.exe statically: Qt (Core, Gui,
# Widgets, Test, the windows and offscreen platform plugins) and libarchive with zlib, liblzma
# and bzip2. The sources are Debian's own source packages (apt-get source, checked against
# their .dsc); the compilers are Debian's MinGW-w64 posix ones. Every build lands in a cache
# outside the checkout, in a folder named after its version and a hash of its options, and is
# reused while that folder exists. Two links in the cache name the builds in use:
#   qt       Qt, found by cmake/mingw-w64-x86_64.cmake
#   archive  libarchive and its compression libraries, with LibArchiveConfig.cmake
# The cache is KVO_WINDOWS_DEPS, or ~/.cache/kvo-windows-deps; deleting it costs a rebuild.
set -euo pipefail
cd "$(dirname "$0")/.."

cache=${KVO_WINDOWS_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/kvo-windows-deps}
sources=$cache/sources
work=$cache/work
jobs=$(nproc)
host=x86_64-w64-mingw32
fail() { echo "build-windows-deps.sh: $*" >&2; exit 1; }

mkdir -p "$sources"
# Two runs at once would build into the same folders.
exec 9>"$cache/.lock"
flock 9

# apt-get source needs deb-src lines for the archive the machine installs from.
ensure_deb_src() {
  [[ -n $(apt-cache showsrc qt6-base 2>/dev/null) ]] && return
  local sudo="" list=/etc/apt/sources.list.d/kvo-deb-src.list
  [[ $(id -u) -ne 0 ]] && sudo="sudo"
  echo "Adding deb-src lines for Debian's archive ($list)"
  apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT) $(ORIGIN)' \
      'Identifier: Packages' | sort -u |
    awk '$4 == "Debian" { print "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] " $1 " " $2 " " $3 }' |
    $sudo tee "$list" >/dev/null
  [[ -s $list ]] || fail "no Debian archive among the machine's apt sources"
  $sudo apt-get update -qq -o DPkg::Lock::Timeout=600
  [[ -n $(apt-cache showsrc qt6-base 2>/dev/null) ]] || fail "apt-get finds no source of qt6-base"
}

# The versions of a source package the archive offers, newest first.
source_versions() {
  local sorted=() version i
  while read -r version; do
    for ((i = 0; i < ${#sorted[@]}; i++)); do
      dpkg --compare-versions "$version" gt "${sorted[i]}" && break
    done
    sorted=("${sorted[@]:0:i}" "$version" "${sorted[@]:i}")
  done < <(apt-cache showsrc "$1" | sed -n 's/^Version: //p' | sort -u)
  printf '%s\n' "${sorted[@]}"
}

# Every file a .dsc names must have the size and SHA-256 sum it states. apt-get has checked
# the .dsc itself against the archive's signed index when it fetched it.
check_dsc() {
  local dsc=$1 sum size name
  while read -r sum size name; do
    [[ -f $sources/$name && $(stat -c %s "$sources/$name") == "$size" ]] ||
      fail "$sources/$name is missing or not $size bytes long, as $(basename "$dsc") says"
    echo "$sum  $sources/$name" | sha256sum --check --quiet --status ||
      fail "$sources/$name does not have the SHA-256 sum $(basename "$dsc") gives"
  done < <(sed -n '/^Checksums-Sha256:/,/^[^ ]/{/^ /p}' "$dsc")
}

# Sets dsc and version for the newest version of source package $1 that can be fetched; one
# fetched earlier is taken from the cache. A newer one the mirror does not serve is passed
# over for the next.
fetch_source() {
  local package=$1 candidate incoming=$sources/incoming
  for candidate in $(source_versions "$package"); do
    dsc=$sources/${package}_${candidate#*:}.dsc
    if [[ ! -f $dsc ]]; then
      rm -rf "$incoming" && mkdir "$incoming"
      (cd "$incoming" && apt-get source --download-only -qq "$package=$candidate" >/dev/null 2>&1) ||
        continue
      mv -f "$incoming"/* "$sources/"
    fi
    check_dsc "$dsc"
    version=$candidate
    return
  done
  fail "no version of the source package $package could be fetched"
}

unpack() {  # dsc folder
  rm -rf "$2"
  dpkg-source -x "$1" "$2" >/dev/null 2>&1 || fail "dpkg-source cannot unpack $1"
}

# The compilers and their target, written into the cache so that each build's hash covers them.
toolchain=$cache/mingw-w64-posix.cmake
cat >"$toolchain.new" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $host-gcc-posix)
set(CMAKE_CXX_COMPILER $host-g++-posix)
set(CMAKE_RC_COMPILER $host-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$host)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
mv -f "$toolchain.new" "$toolchain"
compiler_version=$($host-g++-posix -dumpfullversion)

# A short hash of everything that shapes a build: versions, options, recipe and compilers.
build_key() {
  { printf '%s\n' "$@"; cat "$toolchain"; echo "$compiler_version"; } | sha256sum | cut -c1-12
}

# Runs the recipe $2 into the folder $1 unless it is there, then points the link $3 at it. The
# recipe installs into $1.partial (its first argument; the second is $1 itself, for what a
# build records of where it will live), so that a broken-off build is never taken for a whole
# one.
build_once() {
  local prefix=$1 recipe=$2 link=$3
  if [[ ! -d $prefix ]]; then
    echo "=== building $(basename "$prefix") (once; it is kept in $cache)"
    local started=$SECONDS
    rm -rf "$cache"/*.partial "$work" && mkdir -p "$work"
    "$recipe" "$prefix.partial" "$prefix"
    mv "$prefix.partial" "$prefix"
    rm -rf "$work"
    echo "built $(basename "$prefix") in $(((SECONDS - started + 30) / 60)) min"
  fi
  ln -sfn "$(basename "$prefix")" "$cache/$link"
  echo "$link: $prefix"
}

# --- Qt -------------------------------------------------------------------------------------
# Only what the window and its tests use, linked statically, with Qt's own copies of the
# libraries it bundles. Debian's source has no wintab, so no tablet events; DirectWrite 3's
# font database does not link statically, and Direct2D is not needed. OpenGL goes through
# INPUT_opengl: FEATURE_opengl=OFF alone leaves Qt's dynamic OpenGL loader on, and the windows
# plugin then fails to compile.
qt_options=(
  -DCMAKE_BUILD_TYPE=Release -DFEATURE_optimize_size=ON -DBUILD_SHARED_LIBS=OFF
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_doubleconversion=OFF
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DINPUT_opengl=no
  -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF
  -DFEATURE_zstd=OFF -DFEATURE_icu=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF
  -DFEATURE_textmarkdownreader=OFF -DFEATURE_textmarkdownwriter=OFF
  -DFEATURE_tabletevent=OFF -DFEATURE_directwrite3=OFF -DFEATURE_direct2d=OFF
)

# Qt keeps its installation folder in the library; it is given the folder's final name.
build_qt() {
  local partial=$1 final=$2
  unpack "$qt_dsc" "$work/qtbase"
  cmake -S "$work/qtbase" -B "$work/qtbase-build" -G Ninja --log-level=WARNING \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$final" "${qt_options[@]}" \
    >"$work/qtbase-configure.log" 2>&1 || { tail -40 "$work/qtbase-configure.log"; fail "Qt configure failed"; }
  cmake --build "$work/qtbase-build" -j "$jobs"
  cmake --install "$work/qtbase-build" --prefix "$partial" >/dev/null
}

ensure_deb_src
fetch_source qt6-base && qt_dsc=$dsc qt_version=$version
# Moc and the other tools come from Debian's Qt on this machine; they must be of the same Qt.
host_qt=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null) ||
  fail "Debian's qt6-base-dev is not installed (scripts/install-deps.sh installs it)"
[[ ${host_qt%%+*} == "${qt_version%%+*}" ]] ||
  fail "the host Qt is $host_qt, the Qt source $qt_version: moc and the libraries would not match"
key=$(build_key "$qt_version" "${qt_options[@]}" "$(declare -f build_qt unpack)")
build_once "$cache/qt6-base-${qt_version#*:}-$key" build_qt qt

# --- libarchive -----------------------------------------------------------------------------
# Reading zip, 7z, rar, tar.gz and tar.xz needs zlib, liblzma and bzip2, nothing else: no
# OpenSSL, libxml2, ACLs or iconv (on Windows libarchive converts names with the system's own
# code-page functions). CNG, Windows' own crypto, reads encrypted zips.
c_flags="-O2"

# Compiles the C files $3... of the folder $2 into the static library $1.
static_library() {
  local library=$1 folder=$2 file objects=()
  shift 2
  for file in "$@"; do
    $host-gcc-posix $c_flags -c "$folder/$file.c" -o "$folder/$file.o"
    objects+=("$folder/$file.o")
  done
  $host-ar rcs "$library" "${objects[@]}"
}

build_zlib() {
  local prefix=$1
  unpack "$zlib_dsc" "$work/zlib"
  static_library "$prefix/lib/libz.a" "$work/zlib" adler32 compress crc32 deflate gzclose gzlib \
    gzread gzwrite infback inffast inflate inftrees trees uncompr zutil
  cp "$work/zlib/zlib.h" "$work/zlib/zconf.h" "$prefix/include/"
}

build_bzip2() {
  local prefix=$1
  unpack "$bzip2_dsc" "$work/bzip2"
  static_library "$prefix/lib/libbz2.a" "$work/bzip2" blocksort huffman crctable randtable \
    compress decompress bzlib
  cp "$work/bzip2/bzlib.h" "$prefix/include/"
}

build_lzma() {
  local prefix=$1
  unpack "$xz_dsc" "$work/xz"
  cmake -S "$work/xz" -B "$work/xz-build" -G Ninja --log-level=WARNING \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
    >"$work/xz-configure.log" 2>&1 || { tail -40 "$work/xz-configure.log"; fail "xz configure failed"; }
  cmake --build "$work/xz-build" -j "$jobs" --target liblzma >/dev/null
  cp "$work/xz-build/liblzma.a" "$prefix/lib/"
  cp -r "$work/xz/src/liblzma/api/lzma.h" "$work/xz/src/liblzma/api/lzma" "$prefix/include/"
}

# Qt's Core carries the same BLAKE2s reference code under the same names; kvo.exe links both
# statically, so libarchive's copy gets names of its own.
blake2s_renames=""
for name in blake2s blake2s_init blake2s_init_key blake2s_init_param blake2s_update \
  blake2s_final; do
  blake2s_renames+="${blake2s_renames:+ }-D$name=archive_$name"
done
archive_options=(
  -DCMAKE_BUILD_TYPE=Release -DENABLE_WERROR=OFF -DENABLE_TEST=OFF -DENABLE_INSTALL=OFF
  -DENABLE_TAR=OFF -DENABLE_CPIO=OFF -DENABLE_CAT=OFF
  -DENABLE_OPENSSL=OFF -DENABLE_MBEDTLS=OFF -DENABLE_NETTLE=OFF -DENABLE_CNG=ON
  -DENABLE_LIBXML2=OFF -DENABLE_EXPAT=OFF -DENABLE_PCREPOSIX=OFF -DENABLE_LIBGCC=OFF
  -DENABLE_LIBB2=OFF -DENABLE_LZ4=OFF -DENABLE_LZO=OFF -DENABLE_ZSTD=OFF
  -DENABLE_ACL=OFF -DENABLE_XATTR=OFF -DENABLE_ICONV=OFF -DPOSIX_REGEX_LIB=NONE
  -DENABLE_ZLIB=ON -DENABLE_BZip2=ON -DENABLE_LZMA=ON
  "-DCMAKE_C_FLAGS=$blake2s_renames"
)

# The one check libarchive runs rather than compiles asks whether zlib was built with
# ZLIB_WINAPI; ours was not. Answered here, since Debian 12's CMake crashes on a check that runs
# a program when it cross-compiles without an emulator.
build_libarchive() {
  local prefix=$1
  unpack "$archive_dsc" "$work/libarchive"
  cmake -S "$work/libarchive" -B "$work/libarchive-build" -G Ninja --log-level=WARNING \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" "${archive_options[@]}" \
    -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a" \
    -DBZIP2_INCLUDE_DIR="$prefix/include" -DBZIP2_LIBRARIES="$prefix/lib/libbz2.a" \
    -DLIBLZMA_INCLUDE_DIR="$prefix/include" -DLIBLZMA_LIBRARY="$prefix/lib/liblzma.a" \
    -DZLIB_WINAPI_EXITCODE=1 -DZLIB_WINAPI_EXITCODE__TRYRUN_OUTPUT= \
    >"$work/libarchive-configure.log" 2>&1 ||
    { tail -40 "$work/libarchive-configure.log"; fail "libarchive configure failed"; }
  local library
  for library in LIBZ LIBBZ2 LIBLZMA; do
    grep -qx "#define HAVE_$library 1" "$work/libarchive-build/config.h" ||
      fail "libarchive's configure did not take ${library#LIB}"
  done
  cmake --build "$work/libarchive-build" -j "$jobs" --target archive_static >/dev/null
  cp "$work/libarchive-build/libarchive/libarchive_static.a" "$prefix/lib/libarchive.a"
  cp "$work/libarchive/libarchive/archive.h" "$work/libarchive/libarchive/archive_entry.h" \
    "$prefix/include/"
  write_libarchive_config "$prefix" "${archive_version#*:}"
}

# What find_package(LibArchive) reads in the windows preset: the same imported target as on
# Linux, with the static compression libraries behind it.
write_libarchive_config() {
  local prefix=$1 upstream=${2%%-*}
  mkdir -p "$prefix/lib/cmake/LibArchive"
  cat >"$prefix/lib/cmake/LibArchive/LibArchiveConfig.cmake" <<'EOF'
# libarchive, linked statically with zlib, liblzma and bzip2 (built by build-windows-deps.sh).
get_filename_component(_libarchive_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
if(NOT TARGET LibArchive::LibArchive)
  foreach(_libarchive_part z lzma bz2)
    add_library(LibArchive::${_libarchive_part} STATIC IMPORTED)
    set_target_properties(LibArchive::${_libarchive_part} PROPERTIES
      IMPORTED_LOCATION "${_libarchive_prefix}/lib/lib${_libarchive_part}.a")
  endforeach()
  add_library(LibArchive::LibArchive STATIC IMPORTED)
  set_target_properties(LibArchive::LibArchive PROPERTIES
    IMPORTED_LOCATION "${_libarchive_prefix}/lib/libarchive.a"
    INTERFACE_INCLUDE_DIRECTORIES "${_libarchive_prefix}/include"
    INTERFACE_COMPILE_DEFINITIONS LIBARCHIVE_STATIC
    INTERFACE_LINK_LIBRARIES "LibArchive::lzma;LibArchive::bz2;LibArchive::z;bcrypt")
endif()
set(LibArchive_INCLUDE_DIRS "${_libarchive_prefix}/include")
set(LibArchive_LIBRARIES LibArchive::LibArchive)
set(LibArchive_FOUND TRUE)
EOF
  cat >"$prefix/lib/cmake/LibArchive/LibArchiveConfigVersion.cmake" <<EOF
set(PACKAGE_VERSION $upstream)
if(PACKAGE_FIND_VERSION VERSION_GREATER PACKAGE_VERSION)
  set(PACKAGE_VERSION_COMPATIBLE FALSE)
else()
  set(PACKAGE_VERSION_COMPATIBLE TRUE)
  if(PACKAGE_FIND_VERSION VERSION_EQUAL PACKAGE_VERSION)
    set(PACKAGE_VERSION_EXACT TRUE)
  endif()
endif()
EOF
}

build_archive_set() {
  local prefix=$1
  mkdir -p "$prefix/lib" "$prefix/include"
  build_zlib "$prefix"
  build_bzip2 "$prefix"
  build_lzma "$prefix"
  build_libarchive "$prefix"
}

fetch_source zlib && zlib_dsc=$dsc zlib_version=$version
fetch_source bzip2 && bzip2_dsc=$dsc bzip2_version=$version
fetch_source xz-utils && xz_dsc=$dsc xz_version=$version
fetch_source libarchive && archive_dsc=$dsc archive_version=$version
key=$(build_key "$archive_version" "$zlib_version" "$bzip2_version" "$xz_version" "$c_flags" \
  "${archive_options[@]}" "$(declare -f build_archive_set build_zlib build_bzip2 build_lzma \
  build_libarchive write_libarchive_config static_library unpack)")
build_once "$cache/libarchive-${archive_version#*:}-$key" build_archive_set archive
