#!/usr/bin/env bash
# Installs what is missing, builds the programs (not the tests) and starts Hopwise on this desktop.
set -euo pipefail
HOPWISE_ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$HOPWISE_ROOT/scripts/packages.sh"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Hopwise needs a graphical desktop session (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  exit 1
fi
ensure_packages "${HOPWISE_BUILD_PACKAGES[@]}" "${HOPWISE_RUN_PACKAGES[@]}"

# Quiet unless something fails; a warning must not keep anyone from running Hopwise (the folder may
# come from scripts/test.sh, which turns warnings into errors).
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# A new build folder builds no tests, so it needs none of the test packages; one that
# scripts/test.sh configured keeps its tests.
testing=()
[ -f "$HOPWISE_ROOT/build/CMakeCache.txt" ] || testing=(-DBUILD_TESTING=OFF)
echo "Building Hopwise in build/ (a few minutes the first time)..."
if ! { cmake -S "$HOPWISE_ROOT" -B "$HOPWISE_ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
         -DHOPWISE_WERROR=OFF "${testing[@]}" &&
       cmake --build "$HOPWISE_ROOT/build" --parallel "$(nproc)" --target "${HOPWISE_PROGRAM_TARGETS[@]}"; } \
     >"$log" 2>&1; then
  cat "$log" >&2
  echo "The build failed; the lines above say why." >&2
  exit 1
fi
echo "Hopwise is running: its icon is in the system tray (left-click for your pages, right-click for" \
     "the commands). To end it, choose \"Exit\" in the right-click menu or press Ctrl+C here."
exec "$HOPWISE_ROOT/build/bin/hopwise-start"
