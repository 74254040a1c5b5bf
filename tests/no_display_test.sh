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
echo "refused with one line each time"
