#!/usr/bin/env bash
# Builds the release package build/Pelmar-<version>-win32.zip: the i686 Pelmar.exe and pelmar-cli.exe
# (stripped), Pelmar.html, List.txt and README.txt (the user part of README.md). The version is the
# CMake project version. The same commit gives the same bytes wherever and whenever it is built: every
# time in the package is the commit's (SOURCE_DATE_EPOCH, from git unless set). Prints the package's
# SHA-256, then, on the last line, its path.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ -z ${SOURCE_DATE_EPOCH:-} ]]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
    { echo "package.sh: not a git checkout: set SOURCE_DATE_EPOCH to the commit's time" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH
umask 022

cmake --preset win32 >/dev/null
cmake --build build/win32 -j2 --target Pelmar pelmar-cli >/dev/null
cache() { sed -n "s/^$1:[A-Z]*=//p" build/win32/CMakeCache.txt; }
version=$(cache CMAKE_PROJECT_VERSION)
strip=$(cache CMAKE_STRIP)
package=build/Pelmar-$version-win32.zip

stage=build/package
rm -rf "$stage" "$package"
mkdir -p "$stage"
"$strip" -o "$stage/Pelmar.exe" build/win32/Pelmar.exe
"$strip" -o "$stage/pelmar-cli.exe" build/win32/pelmar-cli.exe
cp build/win32/Pelmar.html build/win32/List.txt "$stage/"
# The user part of the README: the introduction and the sections for users, with Windows line ends.
awk 'BEGIN { keep = 1 }
     /^## / { keep = ($0 ~ /^## (Download and run|Using Pelmar|Files|pelmar-cli)$/) }
     keep { printf "%s\r\n", $0 }' README.md >"$stage/README.txt"
# Fixed attributes and order; zip keeps local times, so it works in UTC.
files=(Pelmar.exe pelmar-cli.exe Pelmar.html List.txt README.txt)
chmod 644 "${files[@]/#/$stage/}"
touch -d "@$SOURCE_DATE_EPOCH" "${files[@]/#/$stage/}"
(cd "$stage" && TZ=UTC zip -q -X -D ../"$(basename "$package")" "${files[@]}")
sha256sum "$package" | sed 's/ .*//; s/^/SHA-256 /'
echo "$package"
