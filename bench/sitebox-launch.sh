#!/bin/sh
# Starts the built Sitebox as a generated app on its first launch with a home page: a fresh
# HOME in PROFILE, settings naming URL as the home page (scripts on, as sites need them).
#   sitebox-launch.sh PROFILE URL
set -eu
profile=$1
url=$2
here=$(cd "$(dirname "$0")/.." && pwd)
export HOME="$profile"
export XDG_DATA_HOME="$profile/data" XDG_CONFIG_HOME="$profile/config" XDG_CACHE_HOME="$profile/cache"
settings="$XDG_DATA_HOME/Corva/(null)"
mkdir -p "$settings"
printf '{"main_url":"%s","enableJavaScript":true}' "$url" > "$settings/settings.json"
exec "${SITEBOX_BUNDLE:-$here/build/Sitebox.app}/Contents/MacOS/Sitebox"
