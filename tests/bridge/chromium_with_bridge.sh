#!/usr/bin/env bash
# Starts headless Chromium with the bridge extension and its native host, for end-to-end checks
# with the real hopwise program:
#   chromium_with_bridge.sh BUILD_BIN_DIR PROFILE_DIR
# Writes the host manifest into PROFILE_DIR, starts Chromium in the background (its output in
# PROFILE_DIR/chromium.log) and prints two lines: "pid PID" and "devtools PORT". Open pages with
#   curl -s -X PUT "http://127.0.0.1:PORT/json/new?URL"
# and end it with kill PID. The host logs to $XDG_STATE_HOME/hopwise/bridge.log.
set -euo pipefail
bin=$(cd "$1" && pwd)
profile=$2
extension=$(cd "$(dirname "$0")/../../bridge/extension" && pwd)
chromium=$(command -v chromium || command -v chromium-browser || true)
[ -n "$chromium" ] || { echo "chromium is not installed" >&2; exit 2; }

mkdir -p "$profile/NativeMessagingHosts"
cat > "$profile/NativeMessagingHosts/hopwise.browser_bridge.json" <<JSON
{"name": "hopwise.browser_bridge", "description": "Hopwise browser bridge",
 "path": "$bin/hopwise-browser-bridge", "type": "stdio",
 "allowed_origins": ["chrome-extension://$(tr -d '[:space:]' < "$extension/ID")/"]}
JSON

rm -f "$profile/DevToolsActivePort"
"$chromium" --headless=new --no-first-run --disable-background-networking --disable-component-update \
  --disable-sync --disable-quic --no-sandbox --user-data-dir="$profile" --load-extension="$extension" \
  --remote-debugging-port=0 about:blank > "$profile/chromium.log" 2>&1 &
pid=$!
for _ in $(seq 100); do
  [ -s "$profile/DevToolsActivePort" ] && break
  kill -0 "$pid" 2>/dev/null || { echo "chromium exited; see $profile/chromium.log" >&2; exit 1; }
  sleep 0.1
done
[ -s "$profile/DevToolsActivePort" ] || { kill "$pid"; echo "chromium did not start" >&2; exit 1; }
echo "pid $pid"
echo "devtools $(head -n 1 "$profile/DevToolsActivePort")"
