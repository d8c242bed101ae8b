#!/usr/bin/env bash
# Unzips the Windows zip into a demo game folder and starts kvo.exe there without arguments, as
# a double-click does, under Wine on a virtual X display. The selector's window must open with
# its five tabs drawn in readable text (read back from a screenshot with tesseract), and a
# click on a folder of the World Settings tab must load that folder into the game folder. The
# screenshots stay in the build folder: build/windows/window-*.png.
#   scripts/run-windows-window-test.sh build/windows/packages/kvo-VERSION-windows-x64.zip
set -euo pipefail
cd "$(dirname "$0")/.."
zip=${1:?usage: run-windows-window-test.sh ZIP}
shots=build/windows

fail() { echo "window test failed: $*" >&2; exit 1; }
wine=/usr/lib/wine/wine64
[[ -x $wine ]] || wine=$(command -v wine64 || command -v wine)
wineserver=$(dirname "$wine")/wineserver
[[ -x $wineserver ]] || wineserver=$(command -v wineserver || echo true)
scratch=$(mktemp -d)
xvfb=""
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  "$wineserver" -w 2>/dev/null || true
  [[ -z $xvfb ]] || kill "$xvfb" 2>/dev/null || true
  # A Wine process may still be ending and writing into its prefix; the clean-up must not turn
  # a passed test into a failure.
  rm -rf "$scratch" 2>/dev/null || { sleep 2 && rm -rf "$scratch"; } || true
}
trap cleanup EXIT
export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# A display of its own: -displayfd picks a free number, so runs side by side do not collide.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [[ -s $scratch/display ]] && break; sleep 0.1; done
[[ -s $scratch/display ]] || fail "Xvfb did not start"
DISPLAY=":$(cat "$scratch/display")"
export DISPLAY
"$wine" wineboot -i >/dev/null 2>&1 || true

game="$scratch/windows game"
unzip -q "$zip" -d "$scratch/zip"
"$wine" "$scratch/zip/kvo-demo.exe" "$game" >/dev/null
unzip -q "$zip" -d "$game"
# A folder to click: not loaded yet, and named in letters, which the text recognition reads
# more surely than digits.
name=$(cd "$game" && "$wine" ./kvo.exe list folders | tr -d '\r' |
  awk -F'\t' '$1 == "-" && $3 ~ /^[A-Za-z]-[A-Za-z]+$/ { print $3; exit }')
[[ -n $name ]] || fail "the demo game has no unloaded folder named in letters"

# Words on the screen with their boxes: "left top width height line word". Tesseract reads
# grey text of dialog size poorly, so the screenshot is turned black and white and enlarged
# three times first; the boxes are given back in screen pixels.
screen_words() {
  cp "$1" "$scratch/large.png"
  mogrify -colorspace gray -resize 300% -threshold 75% "$scratch/large.png"
  tesseract "$scratch/large.png" - tsv 2>/dev/null |
    awk -F'\t' 'NR > 1 && $12 ~ /[^ ]/ {
      printf "%d %d %d %d %d-%d-%d %s\n", $7 / 3, $8 / 3, $9 / 3, $10 / 3, $3, $4, $5, $12 }'
}
# The text of each line of words, one line each.
screen_lines() {
  awk '{ line = $5; $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, "");
         text[line] = text[line] (text[line] == "" ? "" : " ") $0; order[++n] = line }
       END { for (i = 1; i <= n; i++) if (!seen[order[i]]++) print text[order[i]] }' "$1"
}
shoot() {  # NAME: saves the screen as build/windows/window-NAME.png and reads its words
  import -window root "$shots/window-$1.png"
  screen_words "$shots/window-$1.png" >"$scratch/$1.words"
  screen_lines "$scratch/$1.words" >"$scratch/$1.lines"
}
# Clicks the middle of `text` where the screenshot NAME shows it: one word or a few in a row
# on one line, compared by their letters and digits only, as a "-" is easily read as a space.
click_text() {
  local shot=$1 text=$2 point
  point=$(awk -v text="$text" '
      function bare(s) { s = tolower(s); gsub(/[^a-z0-9]/, "", s); return s }
      { split($0, f, " "); left[NR] = f[1]; top[NR] = f[2]; right[NR] = f[1] + f[3]
        bottom[NR] = f[2] + f[4]; line[NR] = f[5]; word[NR] = bare(f[6]) }
      END {
        target = bare(text)
        for (i = 1; i <= NR; i++) {
          joined = ""
          for (j = i; j <= NR && line[j] == line[i] && length(joined) < length(target); j++) {
            joined = joined word[j]
            if (joined == target) {
              print int((left[i] + right[j]) / 2), int((top[i] + bottom[j]) / 2); exit
            }
          }
        }
      }' "$scratch/$shot.words")
  [[ -n $point ]] || return 1
  xdotool mousemove "${point% *}" "${point#* }" click 1
}

echo "=== kvo.exe from the zip, started in the game folder without arguments"
(cd "$game" && exec "$wine" ./kvo.exe >"$scratch/kvo.log" 2>&1) &
kvo=$!
timeout 120 xdotool search --sync --onlyvisible --name '^KVO$' >/dev/null ||
  fail "no window titled KVO within two minutes"

tabs=("General Settings" "Complete Sets" "World Settings" "Autoscripts and Program launch"
      "Planes and Skins")
unread() {  # the tabs whose labels the screenshot NAME does not show, one a line
  local tab
  for tab in "${tabs[@]}"; do grep -qiF "$tab" "$scratch/$1.lines" || echo "$tab"; done
}
# The tab with the keyboard focus has a dotted frame close around its label, which the text
# recognition cannot read through: every other label must be read here, and that one once
# another tab is in front. The first paint may take a moment under Wine: look again until
# all but one read right.
for attempt in $(seq 10); do
  shoot started
  [[ $(unread started | wc -l) -le 1 ]] && break
  [[ $attempt -lt 10 ]] || fail "tabs not readable in $shots/window-started.png: $(unread started | tr '\n' ',')" \
    "read: $(tr '\n' '|' <"$scratch/started.lines")"
  sleep 2
done

click_text started "World Settings" || fail "found no World Settings tab to click"
for attempt in $(seq 10); do
  sleep 1
  shoot world
  click_text world "$name" && break
  [[ $attempt -lt 10 ]] || fail "$name is not readable in $shots/window-world.png"
done
missing=$(comm -12 <(unread started | sort) <(unread world | sort) | tr '\n' ',')
[[ -z $missing ]] || fail "the tabs $missing are not readable in $shots/window-started.png nor window-world.png"
echo "the window shows its five tabs: $shots/window-started.png, window-world.png"
for attempt in $(seq 60); do
  tr -d '\r' <"$game/KVO128/FoldersLoaded.txt" | grep -qxF "$name" && break
  [[ $attempt -lt 60 ]] || fail "a click on $name did not record it in FoldersLoaded.txt"
  sleep 1
done
# Its terrain and art files are in the game folder now, byte for byte.
copied=0
while IFS= read -r -d '' file; do
  cmp -s "$file" "$game/$(basename "$file")" || fail "$(basename "$file") of $name is not in the game folder"
  copied=$((copied + 1))
done < <(find "$game/KVO128/$name" -maxdepth 1 -type f \( -iname '*.ter' -o -iname '*.tpc' -o \
  -iname '*.3dz' -o -iname '*.pal' \) -print0)
[[ $copied -gt 0 ]] || fail "$name has no terrain or art file to look for"
shoot loaded
echo "a click on $name loaded it ($copied files checked): $shots/window-loaded.png"

click_text loaded Exit || fail "found no Exit button"
for _ in $(seq 60); do kill -0 "$kvo" 2>/dev/null || break; sleep 0.5; done
kill -0 "$kvo" 2>/dev/null && fail "the window did not close on Exit"
wait "$kvo" || fail "kvo.exe ended with exit code $? after Exit: $(cat "$scratch/kvo.log")"
echo "Exit closed the window"
