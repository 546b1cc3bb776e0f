#!/usr/bin/env bash
# Builds the win64 program if needed and starts Pelmar under Wine.
# With a DISPLAY: runs on that display in a persistent prefix under build/wine-run.
# Without one: starts Xvfb and a fresh prefix, starts Pelmar with the starter list, drags two entries into
# Wine's notepad, prints the text that arrived, saves build/screenshot.png and cleans up.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

if [[ ! -x build/win64/Pelmar.exe || ! -x build/win64/e2e_helper.exe ]]; then
  { cmake --preset win64 && cmake --build build/win64 -j2; } >/dev/null || { echo "run.sh: build failed" >&2; exit 1; }
fi

source scripts/wine-env.sh
if [[ -n "${DISPLAY:-}" ]]; then
  wine_env_use_wine64 "$root/build/wine-run"
  export WINEPREFIX="$root/build/wine-run/wine-prefix" WINEDEBUG=-all LC_ALL=C.UTF-8
  [[ -d "$WINEPREFIX" ]] || wineboot -i >/dev/null 2>&1
  exec wine build/win64/Pelmar.exe
fi

work=$(mktemp -d /tmp/pelmar-run-XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wine_env_stop
  rm -rf "$work"
}
trap cleanup EXIT

wine_env_start "$root/build/wine-run" || exit 1
echo "run.sh: Xvfb on $DISPLAY, prefix $WINEPREFIX"
cp build/win64/Pelmar.exe build/win64/List.txt "$work"/
# A fresh settings file: the starter list, clipboard paste, Enter between entries.
printf '[pelmar]\r\nlist=Z:%s\r\nclip=0\r\ncr=1\r\nwinmode=3\r\nleft=720\r\ntop=60\r\nwidth=260\r\nheight=360\r\n' \
  "$(echo "$work/List.txt" | tr / '\\')" > "$work/Pelmar.ini"

helper() {  # the e2e helper; its answer through a file, never a pipe
  wine build/win64/e2e_helper.exe "$@" >"$work/answer" 2>/dev/null </dev/null
  tr -d '\r' < "$work/answer"
}
wait_for() {  # wait_for seconds command...
  local end=$((SECONDS + $1)); shift
  until "$@"; do (( SECONDS < end )) || return 1; sleep 0.2; done
}
visible() { [[ "$(helper rect "$1" | awk '{print $5}')" == 1 ]]; }
laid_out() { [[ "$(helper child-left pelmar 1001)" == 28 ]]; }

wine notepad >/dev/null 2>&1 </dev/null & pids+=($!)
wait_for 30 visible notepad || { echo "run.sh: notepad did not start" >&2; exit 1; }
(cd "$work" && wine Pelmar.exe >/dev/null 2>&1 </dev/null) & pids+=($!)
wait_for 30 visible pelmar || { echo "run.sh: Pelmar's window did not show" >&2; exit 1; }
wait_for 10 laid_out || { echo "run.sh: Pelmar's window was not laid out" >&2; exit 1; }
echo "run.sh: windows seen by xdotool:"
for name in '^Pelmar$' 'Notepad'; do
  for id in $(xdotool search --onlyvisible --name "$name"); do
    echo "  $(xdotool getwindowname "$id") ($(xdotool getwindowgeometry "$id" | tr '\n' ' ' | sed 's/  */ /g'))"
  done
done

# Select the second and third starter entries and drag them from the handle into notepad's text.
helper select pelmar 1 2 >/dev/null
read -r ox oy _ _ < <(helper client-origin pelmar)
read -r l t r b < <(helper child-rect notepad Edit)
tx=$(( (l + r) / 2 )); ty=$(( t + 60 ))
xdotool mousemove $((ox + 17)) $((oy + 7)) sleep 0.3 mousedown 1 sleep 0.3 \
  mousemove $(( (ox + tx) / 2 )) $(( (oy + ty) / 2 )) sleep 0.2 mousemove $tx $ty sleep 0.3 mouseup 1
sleep 1
wait_for 15 visible pelmar || echo "run.sh: Pelmar did not come back" >&2
sleep 0.5
echo "run.sh: text that arrived in notepad:"
helper text notepad Edit | sed 's/\\r\\n/\n/g' | sed 's/^/  | /'
import -window root build/screenshot.png && echo "run.sh: screenshot saved as $root/build/screenshot.png"
