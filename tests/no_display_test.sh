#!/usr/bin/env bash
# The window program where no display can be reached: one line that says so, and exit 1.
set -u
program=$1
check() {
  local expected=$1; shift
  local err status
  err=$(env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u DISPLAY "$@" "$program" 2>&1 >/dev/null)
  status=$?
  if [ "$status" != 1 ] || [ "$err" != "$expected" ]; then
    echo "with $*: exit $status, said: $err" >&2
    echo "wanted exit 1 and: $expected" >&2
    exit 1
  fi
}
check "tintwell: no display to open the window on (set DISPLAY)."
check "tintwell: no display to open the window on (:4242 can't be reached)." DISPLAY=:4242
check "tintwell: no display to open the window on (wayland-42 can't be reached)." \
  WAYLAND_DISPLAY=wayland-42 XDG_RUNTIME_DIR=/tmp
# --help and --version answer without a display.
help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --help) ||
  { echo "--help failed" >&2; exit 1; }
[[ $help == "Usage: tintwell [FILE.bmp]"* ]] || { echo "--help said: $help" >&2; exit 1; }
version=$(env -u DISPLAY "$program" --version)
[[ $version =~ ^tintwell\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "--version said: $version" >&2; exit 1; }
echo "refused with one line each time; --help and --version answered"
