#!/usr/bin/env bash
# Takes the screenshots that the AppStream metadata shows (packaging/screenshots/*.png): Hopwise
# from build/bin on a private X server (Xvfb) with a tray (trayer), fed a few pages through the
# stand-in browser, its PageMarks and Sites windows captured with ImageMagick's import.
# Run it after a change to those windows, and commit the new pictures.
set -euo pipefail
HOPWISE_ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$HOPWISE_ROOT/scripts/packages.sh"
ensure_packages xvfb trayer xdotool imagemagick x11-utils
bin=$HOPWISE_ROOT/build/bin
out=$HOPWISE_ROOT/packaging/screenshots
for program in hopwise hopwise-start hopwise-stand-in-browser; do
  [ -x "$bin/$program" ] || { echo "build/bin/$program is missing: build the programs first" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
[ -n "${HOPWISE_SCREENSHOTS_KEEP:-}" ] && trap "cat $work/*.log $work/browser.out >&2; cleanup" EXIT
mkdir -m 0700 "$work/runtime"
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/home/.config \
  XDG_DATA_HOME=$work/home/.local/share XDG_STATE_HOME=$work/home/.local/state
mkdir -p "$HOME"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x700x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$work/display")
trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 --transparent false \
  >"$work/trayer.log" 2>&1 &
pids+=($!)

# Waits until a window titled $1 is shown, and prints its id.
window() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) && [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
  echo "no window \"$1\" appeared; shown: $(for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do xdotool getwindowname "$w"; done | tr "\n" "|")" >&2
  return 1
}

"$bin/hopwise-start" >"$work/hopwise.log" 2>&1 &
pids+=($!)
mkfifo "$work/browser.in"
"$bin/hopwise-stand-in-browser" <"$work/browser.in" >"$work/browser.out" 2>&1 &
pids+=($!)
exec 4>"$work/browser.in"
# Hopwise registers with the browser when it sees it; pages shown before that are not recorded.
for _ in $(seq 150); do grep -q 'WWW_RegisterURLEcho' "$work/browser.out" && break; sleep 0.1; done
while IFS='|' read -r url title; do
  echo "visit 1 $url $title" >&4
  sleep 0.3
done <<'PAGES'
https://www.debian.org/|Debian -- The Universal Operating System
https://www.debian.org/releases/bookworm/|Debian -- Debian "bookworm" Release Information
https://en.wikipedia.org/wiki/Web_browser|Web browser - Wikipedia
https://en.wikipedia.org/wiki/Bookmark_(digital)|Bookmark (digital) - Wikipedia
https://www.gnu.org/software/emacs/|GNU Emacs - GNU Project
https://docs.python.org/3/tutorial/index.html|The Python Tutorial
https://www.kernel.org/|The Linux Kernel Archives
https://lwn.net/|Welcome to LWN.net
PAGES
sleep 1

mkdir -p "$out"
# A second start shows the running Hopwise's PageMarks window.
"$bin/hopwise-start" 2>/dev/null || true
id=$(window "Hopwise PageMarks")
sleep 1
import -window "$id" "$out/pagemarks.png"
# The Sites window from the main menu at the tray icon (at the right end of trayer): Ctrl+W in the open menu.
xdotool windowunmap "$id"
xdotool mousemove 1012 688 click 1
sleep 1

xdotool key ctrl+w
id=$(window "Hopwise Sites")
sleep 1
# Open the first two Sites to show their pages.
eval "$(xdotool getwindowgeometry --shell "$id")"
xdotool mousemove $((X + 80)) $((Y + 28)) click 1 key Right Down Down Down Right
sleep 0.5
import -window "$id" "$out/sites.png"
for shot in pagemarks sites; do
  echo "packaging/screenshots/$shot.png: $(identify -format '%wx%h' "$out/$shot.png")"
done
