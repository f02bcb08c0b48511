# Sourced by the other scripts: installs the Debian packages that are missing, and only those.
# Works as root or through sudo.

# What building the programs needs (cmake -DBUILD_TESTING=OFF).
HOPWISE_BUILD_PACKAGES=(g++ cmake ninja-build pkg-config ccache qt6-base-dev qt6-qpa-plugins qt6-svg-dev
  libcurl4-openssl-dev libpsl-dev nlohmann-json3-dev libsqlite3-dev libxcb1-dev librsvg2-bin)
# What running Hopwise needs besides: Qt's Wayland plugin, so that a Wayland session works too.
HOPWISE_RUN_PACKAGES=(qt6-wayland)
# The programs a user runs (scripts/run.sh builds only these).
HOPWISE_PROGRAM_TARGETS=(hopwise hopwise-start hopwise-browser-bridge hopwise_bridge_xpi hopwise-stand-in-browser
  hopwise-archive hopwise-bookmarks hopwise_help_page)
# What scripts/package.sh needs besides: the Debian package tools and the checkers of the package,
# its AppStream metadata and its menu entry.
HOPWISE_PACKAGE_PACKAGES=(dpkg-dev debhelper fakeroot lintian appstream desktop-file-utils)
# What the tests and benchmarks need besides: GoogleTest, Google Benchmark, cpp-httplib for the web
# servers of the checker's and the bridge's tests, the real browsers for the bridge tests (label
# "browser"), Node.js for the extension's own test, desktop-file-validate for the menu entry,
# dbus-daemon for the private session bus of the tray host test, and weston (headless) with Qt's
# Wayland plugin to run that test on a real Wayland compositor.
HOPWISE_TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev chromium firefox-esr nodejs
  desktop-file-utils dbus-daemon weston qt6-wayland)
# What CI needs on top: clang and libFuzzer for the fuzzers (scripts/fuzz.sh), clang-format for
# scripts/check_format.sh, Python for scripts/check_layers.py.
HOPWISE_CI_PACKAGES=(clang libclang-rt-14-dev clang-format python3)

ensure_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures and builds one build folder: build_tree DIR [cmake options...]; with
# HOPWISE_BUILD_TARGETS set (names apart by spaces) only those targets are built.
# Compiler cache entries are keyed by paths relative to the checkout, so that a second clone
# (a CI run, a worktree) reuses what another one compiled.
build_tree() {
  local dir=$1; shift
  local targets=()
  [ -z "${HOPWISE_BUILD_TARGETS:-}" ] || read -ra targets <<<"--target $HOPWISE_BUILD_TARGETS"
  export CCACHE_BASEDIR="$HOPWISE_ROOT" CCACHE_NOHASHDIR=1
  cmake -S "$HOPWISE_ROOT" -B "$HOPWISE_ROOT/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null &&
    cmake --build "$HOPWISE_ROOT/$dir" --parallel "$(nproc)" "${targets[@]}"
}
