#!/usr/bin/env bash
# Installs what is missing, builds Hopwise and starts it on this desktop.
set -euo pipefail
HOPWISE_ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$HOPWISE_ROOT/scripts/packages.sh"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Hopwise needs a graphical desktop session (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  exit 1
fi
ensure_packages "${HOPWISE_BUILD_PACKAGES[@]}"
# A warning must not keep anyone from running Hopwise (the folder may come from scripts/test.sh).
build_tree build -DHOPWISE_WERROR=OFF
HOPWISE_PROGRAM="$HOPWISE_ROOT/build/bin/hopwise" exec "$HOPWISE_ROOT/app/desktop/hopwise-launch"
