#!/usr/bin/env bash
# Installs every Debian package that building and testing orvane needs.
# Idempotent: on a machine that already has them it installs nothing and
# does not touch the package lists.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  googletest libssl-dev zlib1g-dev
  wine wine64 fonts-wine
  xvfb imagemagick x11-utils xdotool
  xorriso rhash fuse3 libfuse3-dev
  util-linux coreutils python3 zip
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
