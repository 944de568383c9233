#!/bin/sh
# Installs the Debian 12 packages Sitebox needs, only those missing. Used by run.sh and test.sh.
#   scripts/deps.sh          build and run
#   scripts/deps.sh --test   build, run and test (adds the test and fuzz tools)
set -eu

packages="build-essential cmake ninja-build pkg-config
  libgtkmm-3.0-dev libwebkit2gtk-4.1-dev libsoup-3.0-dev libsecret-1-dev libnotify-dev
  libplist-dev libplist++-dev nlohmann-json3-dev libgtksourceview-4-dev libkeybinder-3.0-dev
  libfontconfig-dev libxml2-dev dbus dbus-x11 gnome-keyring webext-ublock-origin-firefox"
if [ "${1:-}" = "--test" ]; then
  packages="$packages libgtest-dev libgmock-dev libbenchmark-dev clang-format xvfb xauth libxtst-dev libxi-dev clang libclang-rt-14-dev desktop-file-utils locales"
fi

missing=""
for p in $packages; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  $sudo apt-get update -q
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
fi
# The tests check stored numbers under a locale with a decimal comma.
if [ "${1:-}" = "--test" ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "de_DE.UTF-8 could not be made" >&2
fi
