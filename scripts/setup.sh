#!/usr/bin/env bash
# Installs what building and testing Pelmar need (Debian 12, as root). Quick when all is present.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev libssl-dev python3
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64 xvfb x11-utils xdotool fonts-wine imagemagick zip
)

# The shipped program is 32-bit: its tests need the 32-bit Wine beside the 64-bit one.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
packages+=(wine32:i386)

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
