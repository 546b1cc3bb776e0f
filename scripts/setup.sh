#!/usr/bin/env bash
# Installs what building and testing Pelmar need (Debian 12, as root). Quick when all is present.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake make g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev libssl-dev python3
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64 xvfb x11-utils xdotool fonts-wine imagemagick zip
)

# A 93-byte i386 Linux program that exits at once with status 0: whether this kernel runs 32-bit programs.
runs_32bit_programs() {
  local probe rc
  mkdir -p build
  probe=build/.runs-32bit
  printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0\64\0\40\0'\
'\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\135\0\0\0\135\0\0\0\5\0\0\0\0\20\0\0'\
'\270\1\0\0\0\61\333\315\200' >"$probe"
  chmod +x "$probe"
  "./$probe" 2>/dev/null
  rc=$?
  rm -f "$probe"
  return $rc
}

# The shipped program is 32-bit: its tests need the 32-bit Wine beside the 64-bit one. Some kernels (in
# some virtual machines) run no 32-bit programs: there wine32 cannot run, and Debian's wine command would
# then fail for 64-bit programs too, so it is left out and test.sh says what it skips.
if runs_32bit_programs; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  packages+=(wine32:i386)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  if ! apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
    # Without the 32-bit Wine the rest still builds and tests; test.sh says what it skips.
    rest=()
    for p in "${missing[@]}"; do [[ $p == wine32:i386 ]] || rest+=("$p"); done
    echo "setup: the 32-bit Wine could not be installed; its tests will be skipped"
    apt-get install -y -qq --no-install-recommends "${rest[@]}" >/dev/null
  fi
fi
