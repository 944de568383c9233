#!/bin/sh
# Lays out a generated app's first launch in $XDG_DATA_HOME: settings naming URL as the home
# page (scripts on, as sites need them); with "tabs", addresses handed to the app open in tabs
# of its window. Benchmarks run it untimed before each launch (measure.py --prepare).
#   sitebox-profile.sh URL [tabs]
set -eu
settings="${XDG_DATA_HOME:?}/Corva/(null)"
mkdir -p "$settings"
printf '{"main_url":"%s","enableJavaScript":true}' "$1" > "$settings/settings.json"
[ "${2:-}" != tabs ] || printf '{"openLinksKey":1}' > "$settings/behavior.json"
