#!/usr/bin/env bash
# Delivery speed end to end under Wine: key-stroke mode (typing delay 4 and 40 ms) and character mode for a
# 1,000-character entry, and the time of a two-entry clipboard delivery. Uses the running Wine session (DISPLAY, WINEPREFIX) if there is
# one, otherwise starts its own. Reports, asserts nothing.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
if [[ ! -x build/win64/Pelmar.exe || ! -x build/win64/e2e_target.exe ]]; then
  { cmake --preset win64 && cmake --build build/win64 -j2; } >/dev/null || exit 1
fi
if [[ -z "${DISPLAY:-}" || -z "${WINEPREFIX:-}" ]]; then
  source scripts/wine-env.sh
  trap wine_env_stop EXIT
  wine_env_start "$root/build/wine-bench" || exit 1
fi
for run in 1 2 3; do
  python3 tests/e2e/e2e.py --build build/win64 bench-keystrokes bench-keystrokes-40 bench-characters bench-clipboard | sed "s/^/run $run: /"
done
