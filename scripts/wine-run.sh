#!/usr/bin/env bash
# Runs a Windows program of the build under Wine for ctest (the toolchain's emulator).
# Now and then Wine here fails to start a program at all: it exits at once without a line of output.
# Such a start never reached the program, so it is tried again; any run that printed something counts.
out=$(mktemp)
trap 'rm -f "$out"' EXIT
rc=0
for attempt in 1 2 3; do
  # Through a file, never a pipe: Wine's services could inherit a pipe and hold it open.
  wine "$@" >"$out" 2>&1 </dev/null
  rc=$?
  if [[ $rc -eq 0 || -s "$out" ]]; then
    cat "$out"
    exit $rc
  fi
  echo "wine-run: $1 exited with $rc before printing anything (attempt $attempt); starting it again" >&2
  sleep 1
done
exit $rc
