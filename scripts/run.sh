#!/bin/sh
# Builds Sitebox (installing what it needs) and starts it; an optional URL is opened in it.
#   scripts/run.sh [URL]
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSITEBOX_TESTS=OFF -DSITEBOX_BENCH=OFF
cmake --build build
exec build/Sitebox.app/Contents/MacOS/Sitebox "$@"
