#!/usr/bin/env bash
# Builds Trevolo and runs its headless tests on Debian 13 (trixie: Qt 6.8, GCC 14), in a chroot
# made with debootstrap from the mirror this machine's apt uses. The chroot is kept in
# $TREVOLO_TRIXIE_ROOT (default /var/cache/trevolo-trixie) and reused by later runs.
# Needs root; skips (exit 0) where it cannot run.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
root=${TREVOLO_TRIXIE_ROOT:-/var/cache/trevolo-trixie}

if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: the Debian 13 build needs root (debootstrap and chroot)"
    exit 0
fi
if ! command -v debootstrap >/dev/null; then
    scripts/setup.sh chroot
fi

# shellcheck source=scripts/debian-mirror.sh
. scripts/debian-mirror.sh

# One run at a time on the chroot.
mkdir -p "$(dirname "$root")"
exec 9>"$root.lock"
flock 9

mounted=()
cleanup() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" || umount -l "${mounted[i]}" || true
    done
}
trap cleanup EXIT

in_chroot() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }
# The presets are read from the folder that cmake and ctest start in.
in_source() { in_chroot env -C /trevolo/src "$@"; }

start=$SECONDS
if [ ! -e "$root/.trevolo-ready" ]; then
    url=$(debian_mirror)
    if [ -z "$url" ]; then
        echo "SKIP: no Debian mirror found in apt's sources"
        exit 0
    fi
    echo "Making the Debian 13 chroot in $root (once)"
    for mount in proc dev/shm; do # left by a run that was killed
        ! mountpoint -q "$root/$mount" || umount "$root/$mount"
    done
    rm -rf --one-file-system "$root"
    debootstrap --variant=minbase trixie "$root" "$url" >"${root}.log" 2>&1 ||
        { tail -20 "${root}.log"; exit 1; }
    rm -f "${root}.log"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc" && mounted+=("$root/proc")
mount -t tmpfs -o mode=1777 shm "$root/dev/shm" && mounted+=("$root/dev/shm")

# The same packages as here, from the same script; nothing when they are all there. The build
# folder stays, so that a later run only builds what changed.
mkdir -p "$root/trevolo/src"
find "$root/trevolo/src" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
tar -C "$src" --exclude=./build --exclude=./.git -cf - . | tar -C "$root/trevolo/src" -xf -
in_chroot /trevolo/src/scripts/setup.sh build
touch "$root/.trevolo-ready"
# shellcheck disable=SC2016 # dpkg-query's field, not the shell's
echo "Chroot ready after $((SECONDS - start)) s:" \
    "Qt $(in_chroot dpkg-query -W -f '${Version}' qt6-base-dev), $(in_chroot g++ --version | head -1)"

in_source cmake --preset default >/dev/null
in_source cmake --build --preset default 2>&1 | tee "$root/trevolo/build.log"
echo "Warnings in what was built: $(grep -c 'warning:' "$root/trevolo/build.log" || true)"
in_source ctest --preset default -LE e2e
echo "Debian 13 build and tests took $((SECONDS - start)) s"
