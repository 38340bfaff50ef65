#!/usr/bin/env bash
# Builds orvane.exe and runs it under Wine (needs an X display: DISPLAY).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build build/win -j "$(nproc)"
if [ -z "${DISPLAY:-}" ]; then
  echo "orvane: built build/win/app/orvane.exe; set DISPLAY to an X display to run it." >&2
  exit 0
fi
exec wine build/win/app/orvane.exe
