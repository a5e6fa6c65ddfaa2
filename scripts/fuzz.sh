#!/usr/bin/env bash
# Builds the portable layers natively with clang and libFuzzer, then runs each
# fuzz target for the given number of seconds (default 600).
# Usage: scripts/fuzz.sh [seconds] [target...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_setup_file fuzz_typed_stream fuzz_packages)
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKY_NATIVE=ON -DKY_FUZZ=ON -DKY_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz
mkdir -p build-fuzz/seeds/fuzz_setup_file build-fuzz/seeds/fuzz_typed_stream build-fuzz/seeds/fuzz_packages
./build-fuzz/fuzz/fuzz_seeds build-fuzz/seeds/fuzz_setup_file build-fuzz/seeds/fuzz_typed_stream \
  build-fuzz/seeds/fuzz_packages
for t in "${targets[@]}"; do
  corpus="fuzz/corpus-$t"
  mkdir -p "$corpus"
  echo "== $t for ${seconds}s"
  ./build-fuzz/fuzz/$t -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/$t-" "$corpus" build-fuzz/seeds/$t
done
