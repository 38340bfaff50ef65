#!/usr/bin/env bash
# Checks that orvane.exe is reproducible: built a second time from the same
# sources, in a second build folder (another path, another time), it must equal
# the first byte for byte, and it may not hold the source folder's path, which
# two clones in different folders would not share. Only the executable is built
# again, not the tests.
#
# usage: check-reproducible.sh SOURCE_DIR BUILD_DIR EXE SECOND_BUILD_DIR [CMAKE_ARG...]
# EXE lies in BUILD_DIR; the CMake arguments configure the second build as the
# first (generator, toolchain, build type).
set -euo pipefail
src=$1 first=$2 exe=$3 second=$4
shift 4

log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { cmake -S "$src" -B "$second" "$@" && cmake --build "$second" --target orvane -j "$(nproc)"; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "the second build of orvane.exe in $second failed" >&2
  exit 1
fi
again=$second/${exe#"$first"/}
[ -f "$again" ] || { echo "the second build made no $again" >&2; exit 1; }

if ! cmp -s "$exe" "$again"; then
  # cmp -l numbers bytes from 1; a file offset counts from 0. Where one file is
  # a prefix of the other, they differ from the end of the shorter one on.
  offset=$( (cmp -l "$exe" "$again" 2>/dev/null || true) | awk 'NR == 1 { print $1 - 1; exit }')
  size=$(stat -c %s "$exe") size_again=$(stat -c %s "$again")
  [ -n "$offset" ] || offset=$((size < size_again ? size : size_again))
  printf '%s (%d bytes) and %s (%d bytes) differ, first at offset %d (0x%x)\n' \
    "$exe" "$size" "$again" "$size_again" "$offset" "$offset" >&2
  exit 1
fi
if grep -qaF "$src" "$exe"; then
  echo "$exe holds the path of the source folder, $src" >&2
  exit 1
fi
echo "$exe and $again are the same $(stat -c %s "$exe") bytes; neither names $src"
