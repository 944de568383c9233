#!/bin/sh
# Start-up to the home page's load event, and the whole app's memory (PSS over the shell and its
# web processes) two seconds later: Sitebox against the engine's floor (the bare one-window,
# one-web-view program) and Chromium's app mode when installed, on the same page, in the same
# run. Programs take turns, a warm-up launch and a counted one each per round (7 rounds,
# medians; each round starts with the next program), so that a busy spell on a shared machine
# does not fall on one program alone (the first launch in a harness session, with its fresh X
# server, is slower for every program: the warm-up takes it). Prints the table, the ratios and
# Sitebox's start-up timeline (milestones from spawn to load, logged by the app under
# SITEBOX_TIMELINE).
#   bench/startup.sh [OUTDIR]     PEERS_DIR=... FLOOR_DIR=... point at the harness and bare.c;
#                                 BUILD_DIR=... measures another build tree (default: build)
# Needs (Debian 12): gcc, libwebkit2gtk-4.1-dev, xvfb, dbus, optionally chromium; run as root
# for the private network namespace.
set -eu
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
out=${1:-$build/bench-startup}
peers=${PEERS_DIR:-../shared/bench/peers}
floor=${FLOOR_DIR:-$peers/../floor}
runs=${RUNS:-7}
. bench/prepare.sh
# shellcheck disable=SC2046 # pkg-config's flags are meant to split
gcc -O2 -o "$out/bare-webkit-program" "$floor/bare.c" $(pkg-config --cflags --libs webkit2gtk-4.1 gtk+-3.0)

# Fresh XDG folders per run, with the machine's font, shader and GStreamer caches warm as for
# the other programs (a cold shader cache alone costs the web process seconds of CPU); the
# app's settings are written before the clock starts, as an installed app has them (the harness
# wants the address on the command line: env passes it by as a variable nobody reads).

# Without a GPU renderer Sitebox paints pages on the CPU (EnginePainting) where the bare
# program keeps the engine's default, GPU painting on the software renderer: "bare-webkit-cpu"
# is the bare program painting as Sitebox does, the floor for that choice.
names="sitebox bare-webkit bare-webkit-cpu"
if command -v chromium >/dev/null 2>&1; then
  names="$names chromium-app"
else
  echo "chromium is not installed: only Sitebox and the bare program were measured" >&2
fi
# One program's counted launch (after its warm-up) in round $2.
launch() {
  measure="python3 $peers/measure.py --out $out/rounds/$2 --runs 1 --warmup 1"
  case "$1" in
    sitebox)
      $measure --name sitebox --fresh-xdg --env WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1 \
        --env SITEBOX_TIMELINE=1 \
        --prepare "$PWD/bench/sitebox-profile.sh {url}" \
        -- env "BENCH_HOME_PAGE={url}" "$build/Sitebox.app/Contents/MacOS/Sitebox" ;;
    bare-webkit)
      $measure --name bare-webkit --fresh-xdg --env WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1 \
        -- "$out/bare-webkit-program" "{url}" ;;
    bare-webkit-cpu)
      $measure --name bare-webkit-cpu --fresh-xdg \
        --env WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1 --env WEBKIT_SKIA_ENABLE_CPU_RENDERING=1 \
        -- "$out/bare-webkit-program" "{url}" ;;
    chromium-app)
      $measure --name chromium-app --fresh-xdg \
        -- chromium --app="{url}" --no-sandbox --disable-gpu --no-first-run \
           --disable-background-networking --disable-component-update --disable-sync \
           --user-data-dir="{profile}" ;;
  esac >/dev/null 2>&1
}

# Each round starts with the next program, so that none always follows the same one.
rm -rf "$out/rounds"
order=$names
round=1
while [ "$round" -le "$runs" ]; do
  for name in $order; do
    launch "$name" "$round"
  done
  # shellcheck disable=SC2086 # one word per name
  set -- $order
  first=$1
  shift
  order="$* $first"
  round=$((round + 1))
done
for name in $names; do
  python3 bench/startup_report.py --merge "$out" "$name"
done
files=""
for name in $names; do files="$files $out/$name.json"; done
# shellcheck disable=SC2086 # one argument per file
python3 "$peers/report.py" $files | tee "$out/summary.md"
echo
# shellcheck disable=SC2086 # one argument per name
python3 bench/startup_report.py "$out" $names | tee -a "$out/summary.md"
echo
python3 bench/startup_report.py --timeline "$out" sitebox | tee -a "$out/summary.md"
