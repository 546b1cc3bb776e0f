#!/usr/bin/env bash
# Start-up time and working set of Pelmar against a minimal dialog program, under Wine (bench/FOOTPRINT.md).
# Both are built for x86_64 with the shipped build's flags (this machine cannot run 32-bit programs);
# start_probe starts each one, times it until its window shows and reads its working set a second
# later. Prints medians of 7 runs after one warm-up run each, and the stripped sizes. Asserts nothing.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=build/footprint
cmake -S . -B $build --toolchain cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  "-DCMAKE_CXX_FLAGS_RELEASE=-Os -DNDEBUG" -DPELMAR_TESTS=OFF -DPELMAR_BENCH=ON >/dev/null || exit 1
cmake --build $build -j2 --target Pelmar minimal_dialog minimal_dialog_dlls start_probe >/dev/null || exit 1

work=$(mktemp -d /tmp/pelmar-footprint-XXXXXX)
source scripts/wine-env.sh
trap 'wine_env_stop; rm -rf "$work"' EXIT
wine_env_start "$root/build/wine-footprint" || exit 1
for program in Pelmar minimal_dialog minimal_dialog_dlls; do
  x86_64-w64-mingw32-strip -o "$work/$program.exe" $build/$program.exe
done
cp res/List.txt "$work/"

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
cd "$work"
echo "| Program (x86_64, stripped) | Size | Window shown | Working set | Peak working set | Private |"
echo "|---|---:|---:|---:|---:|---:|"
for program in minimal_dialog minimal_dialog_dlls Pelmar; do
  rm -f results
  for run in 0 1 2 3 4 5 6 7; do
    rm -f Pelmar.ini
    line=$(wine "$root/$build/start_probe.exe" "$program.exe" 1000 2>/dev/null </dev/null | tr -d '\r')
    [[ $run -gt 0 && -n "$line" ]] && echo "$line" >>results
  done
  field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" results | median; }
  printf '| %s | %d KB | %s ms | %s KB | %s KB | %s KB |\n' "$program" $(( $(stat -c %s "$program.exe") / 1024 )) \
    "$(field shown_ms)" "$(field working_set_kb)" "$(field peak_working_set_kb)" "$(field private_kb)"
done
if [[ -x "$root/build/win32/Pelmar.exe" ]]; then
  i686-w64-mingw32-strip -o Pelmar32.exe "$root/build/win32/Pelmar.exe"
  echo "i686 Pelmar.exe, stripped: $(stat -c %s Pelmar32.exe) bytes"
fi
