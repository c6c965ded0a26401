#!/usr/bin/env bash
# Installs what Trevolo needs on Debian 12 / Ubuntu 24.04, and nothing when all is there.
#   scripts/setup.sh build   the toolchain, CMake, Qt 6 and the fonts
#   scripts/setup.sh test    the same, plus what the tests under a real X server and the
#                            package test use
#   scripts/setup.sh fuzz    the same as build, plus clang and libFuzzer
#   scripts/setup.sh chroot  the same as build, plus debootstrap for the Debian 13 build
#   scripts/setup.sh soak    the same as test, plus stress-ng, which keeps the cores busy
#   scripts/setup.sh windows the same as test, plus MinGW-w64, Wine, NSIS and what fetches and
#                            builds Qt's source, for the Windows build
set -euo pipefail

packages=(g++ cmake ninja-build qt6-base-dev libgl-dev fontconfig fonts-dejavu-core
          fonts-liberation fonts-comfortaa qt6-translations-l10n)
test_packages=(xvfb xauth xdotool openbox x11-utils imagemagick dpkg-dev desktop-file-utils
               appstream lintian)
case "${1:-build}" in
test) packages+=("${test_packages[@]}") ;;
windows) packages+=("${test_packages[@]}" g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
                    wine wine64 nsis zip unzip perl x11-xkb-utils) ;;
fuzz) packages+=(clang libclang-rt-dev) ;;
chroot) packages+=(debootstrap) ;;
soak) packages+=("${test_packages[@]}" stress-ng) ;;
esac

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
