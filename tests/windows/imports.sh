#!/usr/bin/env bash
# The portable zip holds everything the program loads and nothing else: each file the build
# deploys (Qt's DLLs, its platform and style plugins, the MinGW runtime, Qt's Spanish
# translation and the qt.conf that points Qt at them), one a line in deployed.txt; and every
# .exe and .dll in it imports only DLLs that it ships beside trevolo.exe or that come with
# Windows itself.
#   imports.sh Trevolo-VERSION-win64.zip deployed.txt
set -euo pipefail
usage="usage: $0 Trevolo-VERSION-win64.zip deployed.txt"
zip=${1:?$usage}
deployed=${2:?$usage}
for tool in unzip x86_64-w64-mingw32-objdump; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is missing (scripts/setup.sh windows installs it)"
        exit 77
    fi
done
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
unzip -q "$zip" -d "$dir"
top=$dir/$(basename "$zip" .zip)
fail() { echo "FAIL: $*" >&2; exit 1; }

while IFS= read -r file; do
    [ -f "$top/$file" ] || fail "$(basename "$zip") lacks $file"
done <"$deployed"
unlisted=$(comm -23 <(find "$top" -type f -printf '%P\n' | sort) <(sort "$deployed"))
[ -z "$unlisted" ] || fail "$(basename "$zip") holds files the build does not deploy: $unlisted"

# Windows' own DLLs that Qt and the MinGW runtime use.
system='^(advapi32|authz|comdlg32|d3d9|d3d11|dwmapi|dwrite|dxgi|gdi32|imm32|kernel32|msvcrt|mpr|netapi32'
system+='|ole32|oleaut32|setupapi|shcore|shell32|shlwapi|user32|userenv|uxtheme|version|winmm'
system+='|ws2_32|wtsapi32|api-ms-win-[a-z0-9-]+)\.dll$'
# Plugins find their DLLs in the program's folder, as the program does.
shipped=$(find "$top" -maxdepth 1 -iname '*.dll' -printf '%f\n' | tr '[:upper:]' '[:lower:]')
checked=0
while IFS= read -r -d '' binary; do
    while read -r dll; do
        grep -qxF "$dll" <<<"$shipped" || [[ $dll =~ $system ]] ||
            fail "${binary#"$top"/} imports $dll, which is neither shipped nor part of Windows"
    done < <(x86_64-w64-mingw32-objdump -p "$binary" |
        awk '/DLL Name:/ { print tolower($3) }')
    checked=$((checked + 1))
done < <(find "$top" \( -iname '*.exe' -o -iname '*.dll' \) -print0)
[ "$checked" -ge 9 ] || fail "only $checked programs and DLLs in the zip"
echo "$checked programs and DLLs, each importing only what is shipped or Windows' own"
