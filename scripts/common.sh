# Shared by ./run and ./test: install what the build needs, then configure and build.
# shellcheck shell=bash

# What the build and the tests cannot do without.
TINTWELL_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev libgl-dev fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev libhwy-dev libtiff-dev libpng-dev
  libraw-dev liblcms2-dev libacl1-dev
)
# What some tests use when it is there: the fuzzer (clang), the desktop test (an X server, a
# window manager, xdotool, ImageMagick for screen grabs and pictures, python3), and
# ImageMagick and libvips's tools for the benchmarks; the install and package tests (dpkg-dev,
# file, desktop-file-utils, appstream).
TINTWELL_OPTIONAL_PACKAGES=(
  clang libclang-rt-dev
  xvfb openbox xdotool x11-utils imagemagick libvips-tools python3
  dpkg-dev file desktop-file-utils appstream libraw-bin
)

tintwell_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  echo "${missing[@]}"
}

tintwell_install_deps() {
  if ! command -v dpkg-query >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then
    echo "tintwell: this is not a Debian or Ubuntu system. Install by hand: a C++20 compiler, CMake 3.22+," >&2
    echo "  Ninja, Qt 6 (Core, Gui, Widgets, Svg, Test), GoogleTest, Google Benchmark, CLI11, Highway," >&2
    echo "  libtiff, libpng, LibRaw, Little CMS, libacl; optional:" >&2
    echo "  clang with libFuzzer, Xvfb, openbox, xdotool, ImageMagick, python3," >&2
    echo "  dpkg-dev, desktop-file-utils, appstream." >&2
    return 0
  fi
  local required optional
  required=$(tintwell_missing "${TINTWELL_PACKAGES[@]}")
  optional=$(tintwell_missing "${TINTWELL_OPTIONAL_PACKAGES[@]}")
  [ -z "$required$optional" ] && return 0
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
      sudo="sudo"
    else
      [ -n "$optional" ] && echo "tintwell: some tests need: apt-get install $optional" >&2
      [ -z "$required" ] && return 0
      echo "tintwell: missing packages, and not root: apt-get install $required" >&2
      return 1
    fi
  fi
  echo "tintwell: installing $required $optional"
  $sudo apt-get update -qq || return 1
  if [ -n "$required" ]; then
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $required >/dev/null || return 1
  fi
  for p in $optional; do
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$p" >/dev/null 2>&1 ||
      echo "tintwell: could not install $p; the tests that need it will be skipped" >&2
  done
}

# tintwell_build DIR [cmake options...]
tintwell_build() {
  local dir=$1
  shift
  local werror=OFF
  [ -n "${CI:-}" ] && werror=ON
  cmake -S "$TINTWELL_ROOT" -B "$dir" -G Ninja -DTINTWELL_WERROR=$werror "$@" >/dev/null || return 1
  cmake --build "$dir" --parallel "$(nproc)" || return 1
}
