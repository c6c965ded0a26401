#!/usr/bin/env bash
# Trevolo for Windows, made on Debian: Qt cross-built with MinGW-w64 from Debian's own qt6-base
# source, then Trevolo and its tests, run under Wine, then the installer and the portable zip.
# Qt is kept in $TREVOLO_WINDOWS_ROOT (its default in cmake/windows-qt.cmake) and built again
# only when its version or its switches change.
# Needs root (apt-get); skips (exit 0) where it cannot run.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
start=$SECONDS

if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: the Windows build needs root (apt-get for MinGW-w64, Wine, NSIS and Qt's source)"
    exit 0
fi
scripts/setup.sh windows
# Where the windows preset looks for Qt.
root=$(cmake -P cmake/windows-qt.cmake)
prefix=$root/qt

# The same Qt as the Linux build's host tools (moc, rcc, uic), which the cross build runs.
qt_version=$(dpkg-query -W -f '${Version}' qt6-base-dev)
# Only what Trevolo uses. The Debian tarball has no wintab, hence no tablet events. Nothing
# loads an image but PNG, built into Qt6Gui, and the program draws through the plain Windows
# platform plugin: no image format plugins, no Direct2D one (the whole platform plugin built
# a second time), no PDF or ODF writers. Qt 6.4 builds its DirectWrite 3 font database, which
# only an option of the platform plugin chooses, with Direct2D alone: without it, neither.
qt_switches=(-release -shared -opensource -confirm-license -nomake examples -nomake tests
             -qt-zlib -qt-libpng -no-libjpeg -no-gif -no-ico -qt-freetype -qt-harfbuzz -qt-pcre
             -no-icu -no-feature-sql -no-feature-network -no-dbus -no-opengl
             -no-feature-printsupport -no-feature-concurrent -no-feature-xml
             -no-feature-tabletevent -no-feature-vulkan -no-feature-direct2d
             -no-feature-directwrite3 -no-feature-pdf -no-feature-textodfwriter)
toolchain=$src/cmake/mingw-w64-x86_64.cmake
qt_key="$qt_version ${qt_switches[*]} $(sha256sum <"$toolchain" | cut -c1-16)"

mkdir -p "$root"
exec 9>"$root.lock"
flock 9
# What is started from here (an X server, Wine's) must not hold the lock after this script.
keep_lock_out() { "$@" 9>&-; }

build_qt() {
    # shellcheck source=scripts/debian-mirror.sh
    . scripts/debian-mirror.sh
    local url suite apt_dir
    url=$(debian_mirror)
    suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
    if [ -z "$url" ] || [ -z "$suite" ]; then
        echo "SKIP: no Debian mirror found in apt's sources"
        exit 0
    fi
    # A private list of source packages: apt's own configuration stays as it is.
    apt_dir=$root/apt
    rm -rf "$apt_dir" "$root/source" "$root/qt-build" "$prefix"
    mkdir -p "$apt_dir/lists/partial" "$root/source"
    echo "deb-src $url $suite main" >"$apt_dir/sources.list"
    local apt=(apt-get -qq -o "Dir::Etc::SourceList=$apt_dir/sources.list"
               -o Dir::Etc::SourceParts=/nonexistent -o "Dir::State::Lists=$apt_dir/lists")
    "${apt[@]}" update
    (cd "$root/source" && "${apt[@]}" source "qt6-base=$qt_version" >/dev/null 2>&1) ||
        { echo "apt-get source qt6-base=$qt_version failed"; exit 1; }
    local qt_src
    qt_src=$(find "$root/source" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base*')

    echo "Building Qt $qt_version for Windows in $root (once; about half an hour on two cores)"
    mkdir -p "$root/qt-build"
    (cd "$root/qt-build" &&
        "$qt_src/configure" -prefix "$prefix" "${qt_switches[@]}" -qt-host-path /usr -- \
            -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
            -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake) >"$root/qt-build.log" 2>&1 &&
        cmake --build "$root/qt-build" --parallel 2 >>"$root/qt-build.log" 2>&1 &&
        cmake --install "$root/qt-build" >>"$root/qt-build.log" 2>&1 ||
        { tail -40 "$root/qt-build.log"; exit 1; }
    rm -rf "$root/qt-build" "$root/source" "$apt_dir"
    echo "$qt_key" >"$prefix/.trevolo-key"
    echo "Qt for Windows built in $((SECONDS - start)) s"
}
if [ "$(cat "$prefix/.trevolo-key" 2>/dev/null)" != "$qt_key" ]; then
    build_qt
fi
# Qt's Spanish words, from Debian's qt6-translations-l10n, where this Qt looks for them.
install -D -m 644 /usr/share/qt6/translations/qtbase_es.qm "$prefix/translations/qtbase_es.qm"

# Trevolo, its tests under Wine, the installer and the zip (made by the tests, as a user gets
# them), in build/windows.
keep_lock_out cmake --preset windows -DTREVOLO_WINDOWS_ROOT="$root" >/dev/null
keep_lock_out cmake --build --preset windows 2>&1 | tee build/windows/build.log
warnings=$(grep -c 'warning:' build/windows/build.log || true)
echo "Warnings in what was built: $warnings"
[ "$warnings" -eq 0 ]
# Wine draws even Qt's offscreen windows through X: the unit tests get a display of their own.
keep_lock_out xvfb-run -a -s "-screen 0 1280x800x24" ctest --preset windows
echo "Windows build and tests took $((SECONDS - start)) s; for Windows users:"
ls -l build/windows/packages/Trevolo-*-win64.exe build/windows/packages/Trevolo-*-win64.zip
