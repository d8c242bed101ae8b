#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, installs it with apt-get, runs the
# installed programs on a demo game folder, checks the menu entry, the metadata and the
# manual page, and removes the package again (also when it was installed before). Then
# builds the Windows zip, runs the zipped kvo.exe's commands under Wine in a demo game folder,
# and opens its window (scripts/run-windows-window-test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --package --windows

sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
apt() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get "$@" -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=600
}
fail() { echo "package test failed: $*" >&2; exit 1; }
scratch=$(mktemp -d)
installed=""
cleanup() {
  [[ -n $installed ]] && apt remove kvo >/dev/null
  [[ -n ${wineserver:-} ]] && { "$wineserver" -k 2>/dev/null || true; "$wineserver" -w 2>/dev/null || true; }
  # A Wine process may still be ending inside the scratch folder; a pass stays a pass.
  rm -rf "$scratch" 2>/dev/null || { sleep 2 && rm -rf "$scratch"; } || true
}
trap cleanup EXIT

echo "=== Debian package"
cmake --preset package >/dev/null
cmake --build --preset package
cpack --preset package >/dev/null
deb=$(ls build/package/packages/kvo_*.deb)
version=$(dpkg-deb -f "$deb" Version)
lintian --fail-on error "$deb" || fail "lintian reports errors in $deb"

echo "=== installed with apt-get"
apt install "./$deb" >/dev/null
installed=yes
[[ $(command -v kvo) == /usr/bin/kvo && -x /usr/bin/kvo-demo ]] || fail "kvo is not in /usr/bin"
[[ $(/usr/bin/kvo --version) == "kvo $version" ]] || fail "kvo --version: $(/usr/bin/kvo --version)"
game="$scratch/demo game"
/usr/bin/kvo-demo "$game" >/dev/null
# Plain kvo takes the current folder as the game folder, as a shortcut or a script starts it.
status=$(cd "$game" && /usr/bin/kvo status)
[[ $status == "$(tr -d '\r' <"$game/KVO128/FoldersLoaded.txt" | sed '/^$/d')" ]] ||
  fail "kvo status does not print the demo's load record"
name=$(cd "$game" && /usr/bin/kvo list folders | awk -F'\t' '$1 == "-" { print $3; exit }')
(cd "$game" && /usr/bin/kvo click "$name" >/dev/null)
(cd "$game" && /usr/bin/kvo status) | grep -qxF "$name" || fail "kvo click $name did not load it"
echo "kvo $version, kvo-demo, status and click work from /usr/bin (loaded $name)"

desktop=/usr/share/applications/org.example.kvo.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
grep -qx "Exec=kvo --ask-game-dir" "$desktop" || fail "the menu entry does not ask for the folder"
[[ -f /usr/share/icons/hicolor/scalable/apps/org.example.kvo.svg ]] || fail "no icon"
appstreamcli validate --no-net /usr/share/metainfo/org.example.kvo.metainfo.xml >/dev/null ||
  fail "appstreamcli rejects the metainfo"
[[ $(man -w kvo) == /usr/share/man/man1/kvo.1.gz ]] || fail "man kvo finds $(man -w kvo)"
[[ -z $(MANWIDTH=80 man --warnings kvo 2>&1 >/dev/null) ]] || fail "man kvo warns"
zcat /usr/share/man/man1/kvo.1.gz >"$scratch/kvo.1"
cmake -DKVO=/usr/bin/kvo -DMAN_PAGE="$scratch/kvo.1" -P packaging/check-man-page.cmake

# Started from the menu in the home folder, the selector waits in its folder picker and has
# written nothing there.
home="$scratch/home"
mkdir "$home"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
set +e
(cd "$home" && HOME="$home" XDG_CONFIG_HOME="$home/.config" QT_QPA_PLATFORM=offscreen \
  timeout 5 $exec_line >/dev/null 2>&1)
code=$?
set -e
[[ $code -eq 124 ]] || fail "the menu command did not wait in the folder picker (exit $code)"
[[ -z $(ls -A "$home") ]] || fail "the menu command wrote into the home folder: $(ls -A "$home")"
echo "desktop entry, icon, metainfo and man page are installed and valid; the menu command asks"

apt remove kvo >/dev/null
installed=""
[[ ! -e /usr/bin/kvo ]] || fail "/usr/bin/kvo is still there after removing the package"
echo "package removed"

echo "=== Windows zip"
scripts/build-windows-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
cpack --preset windows >/dev/null
zip=$(ls build/windows/packages/kvo-*-windows-x64.zip)
[[ $(unzip -Z1 "$zip" | sort | tr '\n' ' ') == "KVO-README.txt kvo-demo.exe kvo.exe " ]] ||
  fail "$zip holds $(unzip -Z1 "$zip" | tr '\n' ' ')"
unzip -q "$zip" -d "$scratch/zip"
# A window program (no console on a double-click), stripped, needing no DLL but Windows' own.
headers=$(x86_64-w64-mingw32-objdump -p "$scratch/zip/kvo.exe")
grep -q "^Subsystem.*(Windows GUI)" <<<"$headers" || fail "kvo.exe is not a window program"
foreign=$(sed -n 's/^\tDLL Name: \(.*\)\.dll$/\1/p' <<<"$headers" | tr '[:upper:]' '[:lower:]' |
  grep -vxE 'kernel32|user32|gdi32|comdlg32|advapi32|shell32|ole32|oleaut32|imm32|winmm|ws2_32|version|dwmapi|uxtheme|shlwapi|shcore|netapi32|userenv|wtsapi32|authz|msvcrt|bcrypt|crypt32|d3d9|d3d11|dxgi|api-ms-win-core-[a-z0-9-]+' || true)
[[ -z $foreign ]] || fail "kvo.exe needs DLLs that do not come with Windows: $foreign"
[[ -z $(x86_64-w64-mingw32-nm "$scratch/zip/kvo.exe" 2>/dev/null) ]] || fail "kvo.exe is not stripped"
echo "$zip: $(du -k "$zip" | cut -f1) KiB; kvo.exe $(du -k "$scratch/zip/kvo.exe" | cut -f1) KiB, a stripped window program"

wine=/usr/lib/wine/wine64
[[ -x $wine ]] || wine=$(command -v wine64 || command -v wine)
export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver=$(dirname "$wine")/wineserver
[[ -x $wineserver ]] || wineserver=$(command -v wineserver || echo true)
"$wine" wineboot -i >/dev/null 2>&1 || true
wgame="$scratch/windows game"
"$wine" "$scratch/zip/kvo-demo.exe" "$wgame" >/dev/null
unzip -q "$zip" -d "$wgame"
# As the players' text says: kvo.exe beside eaw.exe, started in the game folder.
wkvo() { (cd "$wgame" && "$wine" ./kvo.exe "$@" | tr -d '\r'); }
[[ $(wkvo status) == "$(tr -d '\r' <"$wgame/KVO128/FoldersLoaded.txt" | sed '/^$/d')" ]] ||
  fail "the zipped kvo.exe status does not print the demo's load record"
wname=$(wkvo list folders | awk -F'\t' '$1 == "-" { print $3; exit }')
wkvo click "$wname" >/dev/null
wkvo status | grep -qxF "$wname" || fail "the zipped kvo.exe did not load $wname"
set +e
wkvo click "No such folder" >/dev/null 2>"$scratch/click-error"
code=$?
set -e
[[ $code -eq 2 && -s $scratch/click-error ]] ||
  fail "a click on no folder ended with $code and said: $(cat "$scratch/click-error")"
echo "$zip unpacked into a demo game folder: kvo.exe status and click work under Wine"
"$wineserver" -k 2>/dev/null || true

echo "=== the zipped kvo.exe's window (under Wine, on Xvfb)"
scripts/run-windows-window-test.sh "$zip"
