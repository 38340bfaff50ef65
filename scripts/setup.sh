#!/usr/bin/env bash
# Installs every Debian package that building, running and testing orvane
# needs, and generates the Russian locale (ru_RU.UTF-8) that the run command
# plays the program in.
# Idempotent: on a machine that already has all of it, it prints nothing,
# installs nothing and does not touch the package lists.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang-format
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  googletest libssl-dev zlib1g-dev
  wine wine64 fonts-wine
  xvfb imagemagick x11-utils xdotool
  xorriso udftools dosfstools rhash fuse3 libfuse3-dev
  util-linux coreutils python3 zip locales
)

say() { echo "setup: $*"; }

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  say "${#missing[@]} of the ${#packages[@]} packages orvane needs are missing: ${missing[*]}"
  say "updating the package lists"
  apt-get update -q
  # What the installation brings along, counted before it starts: the packages
  # (with their dependencies) and the bytes to download.
  count=$(apt-get install -s --no-install-recommends "${missing[@]}" | grep -c '^Inst ' || true)
  bytes=$(apt-get install -qq --print-uris --no-install-recommends "${missing[@]}" |
          awk '{ n += $3 } END { print n + 0 }')
  if ((bytes >= 1000000)); then size="$((bytes / 1000000)) MB"; else size="$((bytes / 1000)) kB"; fi
  say "installing $count packages (those with their dependencies), about $size to download"
  # Another installation in progress holds the package manager's lock: wait for it.
  apt-get install -y -q --no-install-recommends -o DPkg::Lock::Timeout=600 "${missing[@]}"
  say "packages installed"
fi

# Dates, times and system messages in the user's own (Russian) form need the
# C library's ru_RU.UTF-8 locale, from which Wine takes the Windows locale.
if ! locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8'; then
  say "generating the locale ru_RU.UTF-8"
  if [ -f /etc/locale.gen ] && grep -q '^# *ru_RU.UTF-8 UTF-8' /etc/locale.gen; then
    sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  elif ! grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ru_RU.UTF-8 UTF-8' >>/etc/locale.gen
  fi
  locale-gen >/dev/null || say "could not generate ru_RU.UTF-8; the run command will use the C locale"
fi
