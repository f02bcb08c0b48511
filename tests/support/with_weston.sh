#!/usr/bin/env bash
# Runs one test program as a client of a real Wayland compositor: weston's headless backend (it
# runs as root, unlike sway), on a socket of its own in the test's runtime folder. Ends with the
# program's status; 77 (skipped) when weston or Qt's Wayland plugin is not installed.
set -u
command -v weston >/dev/null || { echo "weston is not installed: skipped"; exit 77; }
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
  { echo "qt6-wayland is not installed: skipped"; exit 77; }
dir=$(mktemp -d "${TMPDIR:-/tmp}/hopwise-weston.XXXXXX") || exit 1
chmod 700 "$dir"
export XDG_RUNTIME_DIR="$dir"
socket=wayland-hopwise
weston --backend=headless-backend.so --socket="$socket" --idle-time=0 --no-config \
  >"$dir/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 1 100); do
  [ -S "$dir/$socket" ] && break
  kill -0 "$weston_pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -S "$dir/$socket" ]; then
  echo "weston did not start:"; cat "$dir/weston.log"
  kill "$weston_pid" 2>/dev/null; rm -rf "$dir"; exit 1
fi
WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland "$@"
rc=$?
kill "$weston_pid" 2>/dev/null
wait "$weston_pid" 2>/dev/null
rm -rf "$dir"
exit $rc
