# Sourced by the scripts: a virtual X server and a fresh Wine prefix under the build folder.
# wine_env_start sets DISPLAY, WINEPREFIX and friends; wine_env_stop ends what it started.

wine_env_pick_display() {
  if [[ -n "${PELMAR_DISPLAY:-}" ]]; then echo "$PELMAR_DISPLAY"; return; fi
  local n=99
  while [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]]; do n=$((n + 1)); done
  echo ":$n"
}

# Debian's wine command prefers the 32-bit loader once wine32 is installed; on a kernel that runs no
# 32-bit programs that loader fails to start, and every program with it. Then a wine command of our own,
# first on the PATH, goes straight to the 64-bit loader (32-bit programs still cannot run).
wine_env_use_wine64() {
  local loader=/usr/lib/wine/wine64 bin="$1/bin"
  if wine --version >/dev/null 2>&1 || [[ ! -x $loader ]] || ! "$loader" --version >/dev/null 2>&1; then
    return 0
  fi
  mkdir -p "$bin"
  printf '#!/bin/sh\nexport WINELOADER=%s\nexec %s "$@"\n' "$loader" "$loader" >"$bin/wine"
  chmod +x "$bin/wine"
  ln -sf wine "$bin/wine-stable"
  export PATH="$bin:$PATH"
}

wine_env_start() {
  local root="$1"
  mkdir -p "$root"
  wine_env_use_wine64 "$root"
  export DISPLAY
  DISPLAY=$(wine_env_pick_display)
  export WINEPREFIX="$root/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
  export WINEARCH=win64
  mkdir -p "$root"
  Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >"$root/xvfb.log" 2>&1 &
  WINE_ENV_XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break
    sleep 0.1
  done
  xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 || { echo "Xvfb did not start on $DISPLAY" >&2; return 1; }
  rm -rf "$WINEPREFIX"
  mkdir -p "$root"
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # Without a window manager every window close stalls unless Wine manages no windows.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  wineserver -w
  wineserver -p
  # Start Wine's services once with quiet output: programs started later would otherwise hand them
  # their own stdout, and a pipe reading it would never see its end.
  wine cmd.exe /c exit >/dev/null 2>&1 </dev/null
}

wine_env_stop() {
  wineserver -k 2>/dev/null || true
  if [[ -n "${WINE_ENV_XVFB_PID:-}" ]]; then
    kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    WINE_ENV_XVFB_PID=
  fi
}
