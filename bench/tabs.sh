#!/bin/sh
# Memory as tabs grow: the same local page in 1, 5 and 10 tabs (as many URLs on the command
# line), PSS over all processes 14 s after the first tab's load event, for Sitebox and GNOME Web
# (epiphany, when installed) in the same run; prints the table and Sitebox's ratio to GNOME Web.
#   bench/tabs.sh [OUTDIR]       TABS="1 5 10" RUNS=3 WARMUP=1 BUILD_DIR=build PEERS_DIR=...
# Sitebox gets the first URL as its home page and the others on the command line, so each count
# means that many tabs. Needs (Debian 12): xvfb, dbus, optionally epiphany-browser; run as root
# for the private network namespace.
set -eu
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
out=${1:-$build/bench-tabs}
peers=${PEERS_DIR:-../shared/bench/peers}
tabs=${TABS:-1 5 10}
runs=${RUNS:-3}
warmup=${WARMUP:-1}
settle=${SETTLE:-14}
. bench/prepare.sh

measure="python3 $peers/measure.py --out $out --runs $runs --warmup $warmup --settle $settle"
names=""
for n in $tabs; do
  # The first tab's address is the harness's own; the others differ only in a query the page
  # ignores.
  more=""
  i=2
  while [ "$i" -le "$n" ]; do more="$more {url}&tab=$i"; i=$((i + 1)); done
  # The first URL is the home page, the others go on the command line.
  # shellcheck disable=SC2086 # one argument per URL
  $measure --name "sitebox-$n" --fresh-xdg --env WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1 \
    --prepare "$PWD/bench/sitebox-profile.sh {url} tabs" \
    -- env "BENCH_HOME_PAGE={url}" "$build/Sitebox.app/Contents/MacOS/Sitebox" $more
  names="$names sitebox-$n"
  if command -v epiphany >/dev/null 2>&1; then
    # shellcheck disable=SC2086
    $measure --name "epiphany-$n" --fresh-xdg --env WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1 \
      -- epiphany --private-instance --profile="{profile}" "{url}" $more
    names="$names epiphany-$n"
  fi
done
files=""
for name in $names; do files="$files $out/$name.json"; done
# shellcheck disable=SC2086 # one argument per file
python3 "$peers/report.py" $files | tee "$out/summary.md"
echo
if command -v epiphany >/dev/null 2>&1; then
  for n in $tabs; do
    python3 bench/startup_report.py "$out" "sitebox-$n" "epiphany-$n" | tee -a "$out/summary.md"
  done
else
  echo "epiphany is not installed: only Sitebox was measured" | tee -a "$out/summary.md"
fi
