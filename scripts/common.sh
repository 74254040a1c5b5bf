# Shared by ./run and ./test: install what the build needs, then configure and build.
# shellcheck shell=bash

TINTWELL_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev
  xvfb xauth xdotool x11-utils libx11-dev imagemagick python3
)

tintwell_missing_packages() {
  local missing=()
  for p in "${TINTWELL_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  echo "${missing[@]}"
}

tintwell_install_deps() {
  if ! command -v dpkg-query >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then
    echo "tintwell: this is not a Debian or Ubuntu system. Install by hand: a C++20 compiler, CMake 3.24+," >&2
    echo "  Ninja, Qt 6 (Core, Gui, Widgets, Test), GoogleTest, Google Benchmark; optional: clang, Xvfb, xdotool, Xlib headers." >&2
    return 0
  fi
  local missing
  missing=$(tintwell_missing_packages)
  [ -z "$missing" ] && return 0
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
      sudo="sudo"
    else
      echo "tintwell: missing packages, and not root: apt-get install $missing" >&2
      return 1
    fi
  fi
  echo "tintwell: installing $missing"
  $sudo apt-get update -qq || return 1
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null || return 1
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
