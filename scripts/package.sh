#!/usr/bin/env bash
# Builds the Debian package hopwise_VERSION_ARCH.deb in build-deb/ and checks it with lintian and
# appstreamcli. Reuses the programs in build/ (as scripts/run.sh or scripts/test.sh left them);
# without a build/ it builds the programs there first, without the tests.
# Install the result with: sudo apt-get install ./build-deb/hopwise_*.deb
set -euo pipefail
HOPWISE_ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$HOPWISE_ROOT/scripts/packages.sh"

ensure_packages "${HOPWISE_BUILD_PACKAGES[@]}" "${HOPWISE_PACKAGE_PACKAGES[@]}"
cd "$HOPWISE_ROOT"
export CCACHE_BASEDIR="$HOPWISE_ROOT" CCACHE_NOHASHDIR=1
# A build folder configured before librsvg2-bin was installed has no PNG icons yet.
if [ -f build/CMakeCache.txt ] && grep -q '^HOPWISE_RSVG_CONVERT:FILEPATH=.*NOTFOUND' build/CMakeCache.txt; then
  cmake build >/dev/null
fi

# The package's version is the program's: debian/changelog gets an entry with each new version.
version=$(sed -n 's/^project(hopwise VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
changelog_version=$(dpkg-parsechangelog -S Version)
if [ "$version" != "$changelog_version" ]; then
  echo "debian/changelog is at $changelog_version, the program at $version: add a changelog entry (dch -v $version)" >&2
  exit 1
fi

rm -rf build-deb
mkdir -p build-deb
echo "Building the Debian package in build-deb/..."
log=build-deb/dpkg-buildpackage.log
if ! dpkg-buildpackage -b --no-sign \
       --buildinfo-file=build-deb/hopwise.buildinfo --buildinfo-option=-ubuild-deb \
       --changes-file=build-deb/hopwise.changes --changes-option=-ubuild-deb >"$log" 2>&1; then
  cat "$log" >&2
  echo "The package build failed; the lines above say why." >&2
  exit 1
fi
deb=$(ls build-deb/hopwise_*.deb)

echo "Checking it with lintian..."
# Errors fail the build; warnings are shown.
lintian --fail-on error "$deb" ||
  { echo "lintian found errors in $deb" >&2; exit 1; }
echo "Checking the AppStream metadata and the menu entry..."
appstreamcli validate --no-net packaging/io.github.hopwise.Hopwise.metainfo.xml
desktop-file-validate app/desktop/hopwise.desktop

echo "Done: $deb"
echo "Install it with: sudo apt-get install ./$deb"
