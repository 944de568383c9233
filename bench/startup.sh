#!/bin/sh
# Start-up to the home page's load event, and the whole app's memory (PSS over the shell and its
# web processes) two seconds later: Sitebox against the engine's floor (the bare one-window,
# one-web-view program) and Chromium's app mode when installed, on the same page, in the same
# run. Programs take turns, a warm-up launch and a counted one each per round (7 rounds,
# medians; each round starts with the next program), so that a busy spell on a shared machine
# does not fall on one program alone (the first launch in a harness session, with its fresh X
# server, is slower for every program: the warm-up takes it). Prints the table, the ratios and
# Sitebox's start-up timeline (milestones from spawn to load, logged by the app under
# SITEBOX_TIMELINE) next to the bare program's (from launches with bench/floor_marks.c preloaded).
#   bench/startup.sh [OUTDIR]     PEERS_DIR=... FLOOR_DIR=... point at the harness and bare.c;
#                                 BUILD_DIR=... measures another build tree (default: build)
#                                 REPEAT=1: every launch but each program's first finds the
#                                 folders its earlier launches left (cookies, web cache), as
#                                 an app started every day does; by default each is a first one
#                                 PROFILE=1: only Sitebox and the marked bare program, each under
#                                 perf (system-wide clock: the marks' wall clock), and where each
#                                 process spent its CPU instead of the ratios (needs linux-perf);
#                                 perf slows the launches, so their times are not the figures
# Needs (Debian 12): gcc, libwebkit2gtk-4.1-dev, xvfb, dbus, optionally chromium; run as root
# for the private network namespace.
set -eu
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
out=${1:-$build/bench-startup}
peers=${PEERS_DIR:-../shared/bench/peers}
floor=${FLOOR_DIR:-$peers/../floor}
runs=${RUNS:-7}
repeat=${REPEAT:-0}
profile=${PROFILE:-0}
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
# The bare program again with its calls wrapped, for its milestones only (its figures are not
# reported: the floor is the unwrapped program). It takes its turn in the rounds like the others,
# so that both timelines meet the same state of the machine.
timed=$names
names="$names bare-timeline"
[ "$profile" != 1 ] || names="sitebox bare-timeline"
# shellcheck disable=SC2046 # pkg-config's flags are meant to split
gcc -O2 -shared -fPIC -o "$out/floor-marks.so" bench/floor_marks.c \
  $(pkg-config --cflags --libs webkit2gtk-4.1 gtk+-3.0) -ldl
# The XDG folders a program's launches share under REPEAT=1 (the harness's warm caches linked in
# as --fresh-xdg does), else a fresh set per launch.
homes() {
  if [ "$repeat" != 1 ]; then
    echo "--fresh-xdg"
    return
  fi
  home="$out/homes/$1"
  if [ ! -d "$home" ]; then
    mkdir -p "$home/config" "$home/data" "$home/state" "$home/tmp" "$home/cache"
    for cache in fontconfig mesa_shader_cache gstreamer-1.0; do
      mkdir -p "$HOME/.cache/$cache"
      ln -s "$HOME/.cache/$cache" "$home/cache/$cache"
    done
  fi
  printf -- '--env XDG_%s ' "CONFIG_HOME=$home/config" "DATA_HOME=$home/data" \
    "STATE_HOME=$home/state" "CACHE_HOME=$home/cache"
  printf -- '--env TMPDIR=%s' "$home/tmp"
}

chromium_profile() {
  if [ "$repeat" = 1 ]; then echo "$out/homes/chromium-app/profile"; else echo "{profile}"; fi
}

# Under PROFILE=1, the command that records a launch of program $1 in round $2.
recorder() {
  [ "$profile" != 1 ] ||
    echo "perf record -q -e cpu-clock -F 2000 -k CLOCK_REALTIME -o $out/rounds/$2/$1-{run}.perf --"
}

# One program's counted launch (after its warm-up) in round $2.
launch() {
  measure="python3 $peers/measure.py --out $out/rounds/$2 --runs 1 --warmup 1"
  mkdir -p "$out/rounds/$2"
  record=$(recorder "$1" "$2")
  case "$1" in
    sitebox)
      # shellcheck disable=SC2046,SC2086 # one word per option
      $measure --name sitebox $(homes sitebox) --env WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1 \
        --env SITEBOX_TIMELINE=1 \
        --prepare "$PWD/bench/sitebox-profile.sh {url}" \
        -- $record env "BENCH_HOME_PAGE={url}" \
           "$build/Sitebox.app/Contents/MacOS/Sitebox" ;;
    bare-webkit)
      # shellcheck disable=SC2046 # one word per option
      $measure --name bare-webkit $(homes bare-webkit) --env WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1 \
        -- "$out/bare-webkit-program" "{url}" ;;
    bare-timeline)
      # The preload goes on the program's own command line: perf would take it otherwise.
      # shellcheck disable=SC2046,SC2086 # one word per option
      $measure --name bare-timeline $(homes bare-timeline) \
        --env WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1 \
        -- $record env LD_PRELOAD="$out/floor-marks.so" "$out/bare-webkit-program" "{url}" ;;
    bare-webkit-cpu)
      # shellcheck disable=SC2046 # one word per option
      $measure --name bare-webkit-cpu $(homes bare-webkit-cpu) \
        --env WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1 --env WEBKIT_SKIA_ENABLE_CPU_RENDERING=1 \
        -- "$out/bare-webkit-program" "{url}" ;;
    chromium-app)
      # shellcheck disable=SC2046 # one word per option
      $measure --name chromium-app $(homes chromium-app) \
        -- chromium --app="{url}" --no-sandbox --disable-gpu --no-first-run \
           --disable-background-networking --disable-component-update --disable-sync \
           --user-data-dir="$(chromium_profile)" ;;
  esac >/dev/null 2>&1
}

# Each round starts with the next program, so that none always follows the same one.
rm -rf "$out/rounds" "$out/homes"
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
if [ "$profile" = 1 ]; then
  python3 bench/startup_report.py --cpu "$out" sitebox bare-timeline | tee "$out/summary.md"
  exit
fi
files=""
for name in $timed; do files="$files $out/$name.json"; done
# shellcheck disable=SC2086 # one argument per file
python3 "$peers/report.py" $files | tee "$out/summary.md"
if [ "$repeat" = 1 ]; then
  # A round's warm-up meets a new server port, which no cache knows: the harness's warning about
  # differing resource counts comes from those; counted launches are served like each other.
  echo "Repeat launches: each program's counted launches found the folders its earlier ones left." |
    tee -a "$out/summary.md"
fi
echo
# shellcheck disable=SC2086 # one argument per name
python3 bench/startup_report.py "$out" $timed | tee -a "$out/summary.md"
echo
python3 bench/startup_report.py --timeline "$out" sitebox bare-timeline | tee -a "$out/summary.md"
