#!/usr/bin/env bash
# Checks that orvane.exe and its package are reproducible: built a second time
# from the same sources, in a second build folder (another path, another time,
# a time zone fourteen hours east of the first's UTC), each must equal the
# first byte for byte, and the executable may not hold the source folder's
# path, which two clones in different folders would not share. Only the
# executable and the package are built again, not the tests. The second
# build's package must hold a readme that Notepad reads right on every Windows
# the program runs on: UTF-8 with a byte order mark, CRLF line ends, the
# build's version in its title, and each title's underline as long as it.
#
# usage: check-reproducible.sh SOURCE_DIR BUILD_DIR EXE SECOND_BUILD_DIR [CMAKE_ARG...]
# EXE lies in BUILD_DIR; the CMake arguments configure the second build as the
# first (generator, toolchain, build type).
set -euo pipefail
src=$1 first=$2 exe=$3 second=$4
shift 4

log=$(mktemp) readme=$(mktemp)
trap 'rm -f "$log" "$readme"' EXIT
# A package left from an earlier version would stand beside the new one.
rm -f "$second"/orvane-*-win64.zip "$second"/orvane-*-win64.zip.sha256
# The first build's package is made here when it is not there yet. The time
# zones are written the POSIX way: no zone database is needed.
if ! TZ=UTC0 cmake --build "$first" --target package >"$log" 2>&1; then
  cat "$log" >&2
  echo "the package of $first could not be made" >&2
  exit 1
fi
if ! { cmake -S "$src" -B "$second" "$@" &&
  TZ=ORV-14 cmake --build "$second" --target package -j "$(nproc)"; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "the second build of orvane.exe and its package in $second failed" >&2
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

zips=("$second"/orvane-*-win64.zip)
[ ${#zips[@]} = 1 ] && [ -f "${zips[0]}" ] || { echo "the second build made no single package in $second" >&2; exit 1; }
zip=${zips[0]}
# The ZIP holds the executable: compared once the executables are the same.
cmp "$first/${zip##*/}" "$zip" >&2 || { echo "$first/${zip##*/} and $zip differ" >&2; exit 1; }
echo "$first/${zip##*/} and $zip are the same $(stat -c %s "$zip") bytes"
version=${zip##*/orvane-}
version=${version%-win64.zip}
python3 -c 'import sys, zipfile; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read("readme.txt"))' "$zip" >"$readme"
bad=0
[ "$(head -c 3 "$readme" | od -An -tx1 | tr -d ' ')" = efbbbf ] || { echo "$zip: readme.txt has no UTF-8 byte order mark" >&2; bad=1; }
if LC_ALL=C grep -qv $'\r$' "$readme"; then
  echo "$zip: readme.txt has lines that do not end in CRLF, first: line $(LC_ALL=C grep -nv $'\r$' "$readme" | head -n 1 | cut -d: -f1)" >&2
  bad=1
fi
[ "$(head -n 1 "$readme")" = $'\xef\xbb\xbforvane '"$version"$'\r' ] || { echo "$zip: readme.txt's title is not \"orvane $version\"" >&2; bad=1; }
# A rule of "=" or "-" alone under a line of text underlines it: as many
# characters as the text has (not bytes: the titles are Cyrillic too).
wrong=$(python3 -c '
import sys
lines = open(sys.argv[1], encoding="utf-8-sig", newline="").read().split("\r\n")
for i in range(1, len(lines)):
    rule, title = lines[i], lines[i - 1]
    if rule and len(set(rule)) == 1 and rule[0] in "=-" and title.strip() and len(rule) != len(title):
        print(f" line {i + 1}: {len(rule)} under {len(title)};", end="")
' "$readme")
[ -z "$wrong" ] || { echo "$zip: readme.txt has underlines not as long as their titles:$wrong" >&2; bad=1; }
((bad == 0)) || exit 1
echo "$zip's readme.txt: UTF-8 with a byte order mark, CRLF line ends, titled orvane $version, titles underlined"
