#!/bin/sh
# Starts the built Sitebox as a generated app on its first launch with a home page, in a fresh
# HOME in PROFILE (sitebox-profile.sh writes the settings). Further URLs open in tabs of the
# first window, as a desktop entry's %U would hand them over.
#   sitebox-launch.sh PROFILE URL [URL...]
set -eu
profile=$1
url=$2
shift 2
here=$(cd "$(dirname "$0")/.." && pwd)
export HOME="$profile"
export XDG_DATA_HOME="$profile/data" XDG_CONFIG_HOME="$profile/config" XDG_CACHE_HOME="$profile/cache"
"$here/bench/sitebox-profile.sh" "$url" ${1:+tabs}
exec "${SITEBOX_BUNDLE:-$here/build/Sitebox.app}/Contents/MacOS/Sitebox" "$@"
