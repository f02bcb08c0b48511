#!/usr/bin/env bash
# Builds the fuzzers of tests/fuzz with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# in build-fuzz/ and runs each for a while, starting from its seeds in tests/fuzz/corpus/NAME/.
# Ends non-zero when a fuzzer finds a crash; the input that caused it lands in build-fuzz/crashes/.
#
#   bash scripts/fuzz.sh [SECONDS_EACH]     (default 10)
set -euo pipefail
HOPWISE_ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$HOPWISE_ROOT/scripts/packages.sh"

seconds=${1:-10}
fuzzers=(archive argument_list frames texts bookmarks)
build="$HOPWISE_ROOT/build-fuzz"

cmake -S "$HOPWISE_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DHOPWISE_GUI=OFF -DHOPWISE_FUZZ=ON -DHOPWISE_SANITIZE=ON -DHOPWISE_WERROR=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target "${fuzzers[@]/%/_fuzz}"

mkdir -p "$build/crashes"
for name in "${fuzzers[@]}"; do
  # New inputs go to the first folder (scratch); the checked-in seeds are only read.
  mkdir -p "$build/corpus/$name"
  echo "Fuzzing $name for ${seconds}s"
  "$build/bin/${name}_fuzz" "$build/corpus/$name" "$HOPWISE_ROOT/tests/fuzz/corpus/$name" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/crashes/$name-" 2>"$build/$name.log" ||
    { tail -n 40 "$build/$name.log" >&2; echo "Fuzzer $name failed; see $build/$name.log" >&2; exit 1; }
  grep -E '^stat::number_of_executed_units' "$build/$name.log" || true
done
