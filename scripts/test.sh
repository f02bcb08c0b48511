#!/usr/bin/env bash
# Installs what is missing, builds Hopwise with warnings as errors and runs the whole test suite.
# Exits non-zero on any failure.
set -euo pipefail
HOPWISE_ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$HOPWISE_ROOT/scripts/packages.sh"

ensure_packages "${HOPWISE_BUILD_PACKAGES[@]}" "${HOPWISE_TEST_PACKAGES[@]}"
build_tree build -DHOPWISE_WERROR=ON -DBUILD_TESTING=ON
cd "$HOPWISE_ROOT/build"
ctest --output-on-failure --parallel "$(nproc)"
