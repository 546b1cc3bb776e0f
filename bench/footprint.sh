#!/usr/bin/env bash
# Start-up time and working set of Pelmar against a minimal dialog program, under Wine (bench/FOOTPRINT.md).
# All are built for x86_64 with the shipped build's flags (this machine cannot run 32-bit programs):
# the minimal program, the same with Pelmar's manifest and one more system DLL at a time, and Pelmar
# with fresh settings, once with the starter list and once with a 100,000-entry list as its start-up
# list. start_probe starts each one, times it until its window shows and reads its working set a
# second later; it also reads the processor time the program used until then, which a busy machine
# inflates far less than the wall time. The programs take turns within each round, so that a busy
# machine slows all of them alike. Prints medians of RUNS rounds (default 7) after one warm-up round,
# the ratio to the minimal program, and the stripped sizes. Asserts nothing.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=build/footprint
runs=${RUNS:-7}
minimal=(minimal_dialog minimal_dialog_manifest minimal_dialog_comctl32 minimal_dialog_shell32
         minimal_dialog_comdlg32 minimal_dialog_bcrypt minimal_dialog_dlls)
cmake -S . -B $build --toolchain cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  "-DCMAKE_CXX_FLAGS_RELEASE=-Os -DNDEBUG" -DPELMAR_TESTS=OFF -DPELMAR_BENCH=ON >/dev/null || exit 1
cmake --build $build -j2 --target Pelmar "${minimal[@]}" start_probe >/dev/null || exit 1

work=$(mktemp -d /tmp/pelmar-footprint-XXXXXX)
source scripts/wine-env.sh
trap 'wine_env_stop; rm -rf "$work"' EXIT
wine_env_start "$root/build/wine-footprint" || exit 1
for program in Pelmar "${minimal[@]}"; do
  x86_64-w64-mingw32-strip -o "$work/$program.exe" $build/$program.exe
done
cp res/List.txt "$work/"
# The large list starts beside its own copy of the program: a fresh start opens the List.txt beside it.
mkdir "$work/large"
cp "$work/Pelmar.exe" "$work/large/"
awk 'BEGIN { for (i = 0; i < 100000; ++i) printf "entry %07d of a benchmark list\r\n", i }' >"$work/large/List.txt"

cd "$work"
# Pelmar runs right after the minimal program: the ratio is taken within each round, then its median.
programs=(minimal_dialog Pelmar large/Pelmar "${minimal[@]:1}")
for round in $(seq 0 "$runs"); do
  for program in "${programs[@]}"; do
    rm -f Pelmar.ini large/Pelmar.ini
    line=$(wine "$root/$build/start_probe.exe" "$program.exe" 1000 2>/dev/null </dev/null | tr -d '\r')
    [[ -z "$line" ]] && line="shown_ms=nan"
    [[ $round -gt 0 ]] && echo "$line" >>"results.${program//\//_}"
  done
done

median() { grep -v -e nan -e '^$' | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" "results.${2//\//_}" | median; }
# The median over the rounds of a program's time divided by the minimal program's in the same round.
ratio() {
  paste -d' ' <(sed -n 's/.*shown_ms=\([0-9.na]*\).*/\1/p' results.minimal_dialog) \
    <(sed -n 's/.*shown_ms=\([0-9.na]*\).*/\1/p' "results.${1//\//_}") |
    awk '$1 != "nan" && $2 != "nan" { printf "%.3f\n", $2 / $1 }' | median
}
echo "| Program (x86_64, stripped) | Size | Window shown | Ratio | CPU until shown | Working set | Peak working set | Private |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|"
for program in "${programs[@]}"; do
  name=$program
  [[ $program == large/Pelmar ]] && name="Pelmar, 100,000 entries"
  shown=$(field shown_ms "$program")
  printf '| %s | %d KB | %s ms | %.2f | %s ms | %s KB | %s KB | %s KB |\n' "$name" \
    $(( $(stat -c %s "$program.exe") / 1024 )) "$shown" "$(ratio "$program")" \
    "$(field cpu_ms "$program")" "$(field working_set_kb "$program")" \
    "$(field peak_working_set_kb "$program")" "$(field private_kb "$program")"
done
if [[ -x "$root/build/win32/Pelmar.exe" ]]; then
  i686-w64-mingw32-strip -o Pelmar32.exe "$root/build/win32/Pelmar.exe"
  echo "i686 Pelmar.exe, stripped: $(stat -c %s Pelmar32.exe) bytes"
fi
