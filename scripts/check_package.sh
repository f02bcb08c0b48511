#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh), installs it on this machine, checks that the
# installed Hopwise starts and records a page shown by the installed stand-in browser, removes the
# package again (purge) and checks that nothing of it is left but the user's own data. Root (or
# sudo) is needed for apt-get. Used by .ci/run; it prints how long each step took.
set -euo pipefail
HOPWISE_ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$HOPWISE_ROOT"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -y -qq)
fail() { echo "check_package: $*" >&2; exit 1; }

started=$SECONDS
bash scripts/package.sh
echo "Package built in $((SECONDS - started)) s."
deb=$(ls "$HOPWISE_ROOT"/build-deb/hopwise_*.deb)

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# The package's paths that are not there yet must all be gone after the purge.
if dpkg-query -W -f='${Status}' hopwise 2>/dev/null | grep -q 'install ok installed'; then
  "${apt[@]}" purge hopwise >/dev/null
fi
dpkg-deb -c "$deb" | awk '{ sub(/^\./, "", $6); print $6 }' | sed 's|/$||' | grep -v '^$' |
  while read -r path; do [ -e "$path" ] || [ -L "$path" ] || echo "$path"; done >"$work/new-paths"

step=$SECONDS
"${apt[@]}" install "$deb" >/dev/null
hopwise --version | grep -qx 'Hopwise [0-9.]*' || fail "hopwise --version: $(hopwise --version)"
hopwise-bookmarks --help | grep -q '^usage: hopwise-bookmarks' || fail "hopwise-bookmarks --help says no usage"
for file in /usr/share/hopwise/help/hopwise.html /usr/share/man/man1/hopwise.1.gz \
            /etc/chromium/native-messaging-hosts/hopwise.browser_bridge.json \
            /usr/lib/mozilla/native-messaging-hosts/hopwise.browser_bridge.json \
            /usr/share/icons/hicolor/16x16/apps/hopwise.png /usr/share/chromium/extensions/hopwise/manifest.json; do
  [ -e "$file" ] || fail "the package did not install $file"
done

# Hopwise as a user starts it, offscreen, with folders of its own; one page through the browser.
home=$work/home
mkdir -p "$home" && mkdir -m 0700 "$work/runtime"
export HOME=$home XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$home/.config \
  XDG_DATA_HOME=$home/.local/share XDG_STATE_HOME=$home/.local/state QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY
hopwise >"$work/hopwise.log" 2>&1 &
hopwise_pid=$!
pids+=("$hopwise_pid")
mkfifo "$work/browser.in"
/usr/libexec/hopwise/hopwise-stand-in-browser <"$work/browser.in" >"$work/browser.out" 2>&1 &
pids+=($!)
exec 4>"$work/browser.in"
wait_for() {
  for _ in $(seq 300); do grep -q "$1" "$work/browser.out" && return 0; sleep 0.1; done
  cat "$work/hopwise.log" "$work/browser.out" >&2
  fail "the stand-in browser never saw: $1"
}
wait_for 'WWW_RegisterURLEcho'
echo "visit 7 https://example.org/installed Installed page" >&4
wait_for 'echo	HOPWISE1	"https://example.org/installed".*ack'
kill -TERM "$hopwise_pid"
wait "$hopwise_pid" || fail "hopwise ended with status $? on SIGTERM: $(cat "$work/hopwise.log")"
exec 4>&-
hopwise-archive dump "$XDG_DATA_HOME/hopwise/cache.data" | grep -q 'https://example.org/installed' ||
  fail "the installed Hopwise did not save the page it was shown"
grep -q '/usr/bin/hopwise-browser-bridge' "$XDG_CONFIG_HOME/chromium/NativeMessagingHosts/hopwise.browser_bridge.json" ||
  fail "the start command did not point Chromium at the installed bridge"

"${apt[@]}" purge hopwise >/dev/null
left=$(while read -r path; do [ -e "$path" ] || [ -L "$path" ] && echo "$path"; done <"$work/new-paths" || true)
[ -z "$left" ] || fail "left behind after the purge: $left"
[ -s "$XDG_DATA_HOME/hopwise/cache.data" ] || fail "the purge took the user's data"
echo "The package installs, records a page, and purges cleanly ($((SECONDS - step)) s; $((SECONDS - started)) s in all)."
