#!/usr/bin/env bash
# Times a Hashes run and a Save run of a 1 GiB disc on a virtual drive against
# the usual tools on the same image, page cache warm for all, and prints the
# times and ratios:
#   Hashes run  vs  rhash --crc32 --md5 --sha1 ISO
#   Save run    vs  dd bs=1M (volume to image) followed by that rhash on the image
# Each figure is the best of ROUNDS rounds (default 3).
#
# usage: bench/run-disc-bench.sh [BUILD_DIR]   (default build/win; needs root)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build/win}
exe=$build/bench/disc_bench.exe
[ -f "$exe" ] || { echo "no $exe: build the Windows build first" >&2; exit 1; }

if [ -z "${ORVANE_BENCH_INNER:-}" ]; then
  # Outer part: the image, then the same script inside the Wine test environment.
  work=$(mktemp -d /tmp/orvane-bench.XXXXXX)
  trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/src"
  head -c $((1024 * 1048576 - 4 * 1048576)) /dev/urandom >"$work/src/data.bin"
  xorriso -as mkisofs -quiet -V BENCH_1GIB -o "$work/bench.iso" "$work/src" 2>/dev/null
  rm -rf "$work/src"
  truncate -s $((1024 * 1048576)) "$work/bench.iso"
  ORVANE_BENCH_INNER=1 ORVANE_ONE_DISC=$work/bench.iso ORVANE_BENCH_EXE=$exe \
    "$root/tests/tools/with-test-env.sh" "$root/bench/run-disc-bench.sh" "$build"
  exit
fi

# Inner part: drive M: is the image on a loop device (tests/tools/drives.sh).
iso=$ORVANE_ONE_DISC
dev=$ORVANE_ONE_DISC_DEVICE
rounds=${ROUNDS:-3}
out=$(mktemp -d /dev/shm/orvane-bench-out.XXXXXX)
trap 'rm -rf "$out"' EXIT
image_win="Z:${out//\//\\}\\image.iso"

now() { date +%s.%N; }
best() { printf '%s\n' "$@" | sort -g | head -1; }
elapsed() { echo "$2 - $1" | bc -l; }

# Warm the page cache of the image file and of the loop device (its own cache).
# A block device's cache is dropped soon after its last user closes it: one
# descriptor held by this script (closed when it exits, before the drive is
# removed) keeps it warm between the runs.
exec {hold}<"$dev"
cat "$iso" >/dev/null
cat "$dev" >/dev/null

expected=$(rhash --crc32 --md5 --sha1 --printf '%{crc32} %{md5} %{sha1}' "$iso")
expected=${expected^^}
read -r ecrc emd5 esha1 <<<"$expected"

t_rhash=() t_two=() t_hashes=() t_save=()
for _ in $(seq "$rounds"); do
  t0=$(now); rhash --crc32 --md5 --sha1 "$iso" >/dev/null; t1=$(now)
  t_rhash+=("$(elapsed "$t0" "$t1")")

  t0=$(now)
  dd if="$dev" of="$out/dd.iso" bs=1M status=none
  rhash --crc32 --md5 --sha1 "$out/dd.iso" >/dev/null
  t1=$(now)
  t_two+=("$(elapsed "$t0" "$t1")")
  rm -f "$out/dd.iso"

  report=$(wine "$ORVANE_BENCH_EXE" M 2>/dev/null | tr -d '\r')
  grep -q "SHA-1:	$esha1" <<<"$report" || { echo "Hashes run gave wrong checksums:"; echo "$report"; exit 1; }
  t_hashes+=("$(awk '/^seconds/ {print $2}' <<<"$report")")

  report=$(wine "$ORVANE_BENCH_EXE" M "$image_win" 2>/dev/null | tr -d '\r')
  grep -q "CRC-32:	$ecrc" <<<"$report" || { echo "Save run gave wrong checksums:"; echo "$report"; exit 1; }
  cmp -s "$iso" "$out/image.iso" || { echo "Save run image differs from the disc"; exit 1; }
  t_save+=("$(awk '/^seconds/ {print $2}' <<<"$report")")
  rm -f "$out/image.iso" "$out/image.iso.log"
done

r=$(best "${t_rhash[@]}"); two=$(best "${t_two[@]}")
h=$(best "${t_hashes[@]}"); s=$(best "${t_save[@]}")
mib=1024
printf '1 GiB disc, best of %d rounds, page cache warm\n' "$rounds"
printf '  rhash --crc32 --md5 --sha1 ISO   %7.3f s  %6.0f MiB/s\n' "$r" "$(echo "$mib / $r" | bc -l)"
printf '  dd bs=1M + rhash (two passes)    %7.3f s  %6.0f MiB/s\n' "$two" "$(echo "$mib / $two" | bc -l)"
printf '  Hashes run                       %7.3f s  %6.0f MiB/s  ratio to rhash      %.3f (target <= 0.9)\n' \
  "$h" "$(echo "$mib / $h" | bc -l)" "$(echo "$h / $r" | bc -l)"
printf '  Save run                         %7.3f s  %6.0f MiB/s  ratio to dd + rhash %.3f (target <= 0.85)\n' \
  "$s" "$(echo "$mib / $s" | bc -l)" "$(echo "$s / $two" | bc -l)"
