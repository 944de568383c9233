#!/bin/sh
# Start-up to the home page's load event, and the whole app's memory (PSS over the shell and its
# web processes) two seconds later: Sitebox against Chromium's app mode on the same page, in the
# same run (1 warm-up and 7 counted runs, medians). Uses the peer harness measure.py.
#   bench/startup.sh [OUTDIR]          PEERS_DIR=... to point at the harness
# Needs (Debian 12): chromium xvfb dbus; run as root for the private network namespace.
set -eu
cd "$(dirname "$0")/.."
out=${1:-build/bench-startup}
peers=${PEERS_DIR:-../shared/bench/peers}
runs=${RUNS:-7}
warmup=${WARMUP:-1}
cmake --build build --target Sitebox CorvaHelper >/dev/null
measure="python3 $peers/measure.py --out $out --runs $runs --warmup $warmup"
$measure --name sitebox --env WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1 \
  -- "$PWD/bench/sitebox-launch.sh" {profile} {url}
if command -v chromium >/dev/null 2>&1; then
  $measure --name chromium-app --fresh-xdg \
    -- chromium --app={url} --no-sandbox --disable-gpu --no-first-run \
       --disable-background-networking --disable-component-update --disable-sync \
       --user-data-dir={profile}
  python3 "$peers/report.py" "$out/sitebox.json" "$out/chromium-app.json" | tee "$out/summary.md"
else
  echo "chromium is not installed: only Sitebox was measured" >&2
  python3 "$peers/report.py" "$out/sitebox.json" | tee "$out/summary.md"
fi
