#!/bin/sh
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UBSan) and runs each for a
# bounded time, starting from the checked-in corpora.
#   scripts/fuzz.sh [seconds per target]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-30}
scripts/deps.sh --test
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSITEBOX_FUZZ=ON -DSITEBOX_TESTS=OFF -DSITEBOX_BENCH=OFF \
  -DCMAKE_C_FLAGS="-fsanitize=address,undefined,fuzzer-no-link" \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined,fuzzer-no-link" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build build-fuzz --target fuzz_targets
for target in build-fuzz/fuzz/fuzz_*; do
  name=$(basename "$target")
  corpus=$(sed -n "s/^$name //p" fuzz/corpora.txt)
  work="build-fuzz/corpus-$name"
  mkdir -p "$work"
  echo "== $name ($seconds s)"
  LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp" "$target" -max_total_time="$seconds" \
    -timeout=10 -rss_limit_mb=2048 -artifact_prefix="build-fuzz/$name-" "$work" "fuzz/corpus/$corpus"
done
