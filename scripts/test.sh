#!/bin/sh
# Builds everything (installing what it needs) and runs the whole test suite under a private
# X server and D-Bus session: unit tests, integration tests and the fuzz corpus replays.
#   scripts/test.sh [extra ctest arguments]
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh --test
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSITEBOX_WERROR=ON \
  -DSITEBOX_TESTS=ON -DSITEBOX_BENCH=ON
cmake --build build-test
# WebKit's web-process sandbox cannot start inside containers such as CI machines.
export WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1
# Test HOMEs live in a folder of this run's own: the engine processes of a killed app may still
# write to a HOME its test has removed, and nothing of theirs should outlive the run.
TMPDIR=$(mktemp -d "${TMPDIR:-/tmp}/sitebox-tests-XXXXXX")
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- \
  ctest --test-dir build-test --output-on-failure --timeout 300 -j2 "$@"
