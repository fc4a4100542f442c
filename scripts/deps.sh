#!/usr/bin/env bash
# Installs the Debian packages that are missing, through sudo when not root. Sourced by
# scripts/run and scripts/test; quiet when everything is there already.

# Building and running the program.
BUILD_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libxcb1-dev
  fonts-roboto-unhinted dpkg-dev libcsv-dev
)
# The test suite: unit and GUI tests, end-to-end tests in a real X server, fuzz targets.
TEST_PACKAGES=(
  libgtest-dev libgmock-dev clang-format
  xvfb xauth x11-xkb-utils openbox xdotool xclip x11-utils imagemagick
  python3 python3-pyatspi at-spi2-core dbus dbus-x11
  clang libclang-rt-14-dev
  desktop-file-utils appstream
)

install_missing() {
  local missing=() pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq || return 1
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || return 1
}
