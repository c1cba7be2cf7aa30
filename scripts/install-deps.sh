#!/usr/bin/env bash
# Installs what building, running and testing zelvo need from Debian's archive:
# install-deps.sh [--with-tests] [--with-package] [--with-bench].
# Idempotent: prints nothing and touches nothing when every package is there.
set -euo pipefail

build_pkgs=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-qpa-plugins libgl-dev fonts-dejavu-core
  libmpv-dev libcdio-dev libiso9660-dev libxcb1-dev libxcb-screensaver0-dev libxcb-shm0-dev
  libgtest-dev libgmock-dev
)
test_pkgs=(
  xvfb xauth xdotool openbox x11-utils imagemagick ffmpeg
  vcdimager libcdio-utils mpv libgl1-mesa-dri python3
  dbus-daemon dbus-bin playerctl libglib2.0-bin suckless-tools x11-xserver-utils
  clang libclang-rt-14-dev
)
bench_pkgs=(
  xvfb xauth openbox xdotool ffmpeg mpv python3 libxdamage-dev libx11-dev stress-ng
)
package_pkgs=(
  dpkg-dev file lintian appstream desktop-file-utils
)

want=("${build_pkgs[@]}")
for option in "$@"; do
  case $option in
    --with-tests) want+=("${test_pkgs[@]}") ;;
    --with-package) want+=("${package_pkgs[@]}") ;;
    --with-bench) want+=("${bench_pkgs[@]}") ;;
  esac
done

missing=()
for p in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages: ${missing[*]}" >&2
  echo "install-deps: run this script as root (or install them yourself)" >&2
  exit 1
fi
echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq >/dev/null
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
