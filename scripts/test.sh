#!/usr/bin/env bash
# The one test command: installs what is missing, builds every preset and the release package (twice, to
# see it is reproducible), runs the native tests, the fuzz targets for a short while, and the Windows tests
# under Wine on a virtual X server: all of them on the shipped 32-bit build, a smoke subset on the 64-bit one.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh || exit 1

fail() { echo "test.sh: $*" >&2; exit 1; }
jobs=2

for preset in native win64 win32 fuzz; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null || fail "configure $preset failed"
  cmake --build "build/$preset" -j"$jobs" 2>&1 | grep -E 'error|warning|Error' ; \
    [[ ${PIPESTATUS[0]} -eq 0 ]] || fail "build $preset failed"
done

status=0
echo "== package"
package=
if out=$(scripts/package.sh); then
  printf '%s\n' "$out"
  package=$(tail -n 1 <<<"$out")
  scripts/check-reproducible.sh "$package" || status=1
else
  status=1
fi

echo "== native tests"
ctest --test-dir build/native --output-on-failure -j"$jobs" || status=1

echo "== fuzz targets"
for target in fuzz_container fuzz_protected fuzz_lzhuf fuzz_listfile; do
  if [[ -x build/fuzz/$target ]]; then
    corpus=$(mktemp -d)
    cp fuzz/corpus/$target/* "$corpus"/ 2>/dev/null || true
    if build/fuzz/$target -max_total_time=15 -print_final_stats=0 "$corpus" >build/fuzz/$target.log 2>&1; then
      echo "$target: clean"
    else
      echo "$target: FAILED (see build/fuzz/$target.log)"; tail -20 build/fuzz/$target.log; status=1
    fi
    rm -rf "$corpus"
  fi
done

echo "== Windows tests under Wine"
source scripts/wine-env.sh
# A small file system that a test fills up, to see a save fail on a full disk (needs root; skipped without).
full_disk="$root/build/full-disk"
full_disk_stop() { mountpoint -q "$full_disk" && umount "$full_disk"; }
mkdir -p "$full_disk"
full_disk_stop 2>/dev/null
if mount -t tmpfs -o size=256k tmpfs "$full_disk" 2>/dev/null; then export PELMAR_FULL_DISK="$full_disk"; fi
trap 'wine_env_stop; full_disk_stop' EXIT
wine_env_start "$root/build/wine" || fail "could not start Xvfb and Wine"

# The shipped program is the 32-bit one: all the Wine tests run on it when this machine's Wine runs
# 32-bit programs, and the 64-bit build gets a smoke run (starting, one delivery per send mode, one list
# file of each kind).
smoke='^(Startup\.EveryWayOfEndingTheDialogEndsTheProcessWithCodeZero|MainWindow\.FirstStartWithoutSettingsFile'
smoke+='|e2e\.(clipboard|keystrokes|characters)-enter|e2e\.login-upper'
smoke+='|LoadList\.(FillsTheEntryListBoxByTheLineRule|KeepsTheLoginListBoxesAligned)'
smoke+='|EncryptedLoad\.PasswordPromptDecidesWhetherTheFileOpens|ProtectedOpen\..*)$'
probe=$root/build/wine/probe32.exe
echo 'int main(void) { return 0; }' | i686-w64-mingw32-gcc -x c - -o "$probe" 2>/dev/null
if scripts/wine-run.sh "$probe" >/dev/null 2>&1; then
  echo "== Wine tests: win32 (all)"
  ctest --test-dir build/win32 --output-on-failure --timeout 300 || status=1
  echo "== Wine tests: win64 (smoke)"
  ctest --test-dir build/win64 --output-on-failure --timeout 300 -R "$smoke" || status=1
  echo "== package run"
  if [[ -n $package ]] && python3 tests/package/check_package.py --run "$package"; then
    echo "$package: complete, and its programs run"
  else
    status=1
  fi
else
  echo "test.sh: this Wine cannot run 32-bit programs: the win32 tests and the package run are skipped, all Wine tests run on win64"
  ctest --test-dir build/win64 --output-on-failure --timeout 300 || status=1
  if [[ -n $package ]] && python3 tests/package/check_package.py "$package"; then
    echo "$package: complete"
  else
    status=1
  fi
fi
wine_env_stop
full_disk_stop
trap - EXIT

if [[ $status -eq 0 ]]; then echo "test.sh: all tests passed"; else echo "test.sh: FAILED"; fi
exit $status
