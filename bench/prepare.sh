# shellcheck shell=sh
# Sourced by the benchmark scripts after BUILD_DIR and OUTDIR defaults are set ($build, $out):
# configures the build tree when it has none, builds the app and the helper, and makes both
# paths absolute.
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target Sitebox CorvaHelper >/dev/null
mkdir -p "$out"
out=$(cd "$out" && pwd)
build=$(cd "$build" && pwd)
