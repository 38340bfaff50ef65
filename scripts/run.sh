#!/usr/bin/env bash
# Builds orvane.exe and runs it under Wine, with a sample disc in drive D:
# (a small ISO 9660 image made here, served read-only through a loop device).
#
# With a usable X display ($DISPLAY) the program opens there and the user works
# with it; the sample disc goes away when the program ends. Without one it runs
# on a private Xvfb display, plays one Save run of the sample disc through the
# real dialogs (tests/e2e/DemoDriver.cpp), prints the report, checks that the
# image equals the disc and saves a screenshot of the result, printing its path.
#
# Everything it starts is ended by its own id; the loop device, the mount and
# the private Wine prefix are removed at exit.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build build/win -j 2 --target orvane orvane-driver
exe=$(find build/win -name orvane.exe -type f | head -n 1)
driver=$(find build/win -name orvane-driver.exe -type f | head -n 1)
[ -n "$exe" ] || { echo "run: orvane.exe was not built" >&2; exit 1; }

work=$(mktemp -d /tmp/orvane-run.XXXXXX)
export WINEPREFIX=$work/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
label=ORVANE_SAMPLE
loop= ; mounted= ; xvfb_pid= ; prog_pid=

cleanup() {
  local rc=$?
  set +e
  # Wine's processes first: they hold the drive's device and folder open.
  if [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; fi
  [ -n "$prog_pid" ] && wait "$prog_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  [ -n "$mounted" ] && umount "$mounted"
  [ -n "$loop" ] && losetup -d "$loop"
  rm -rf "$work"
  exit $rc
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# --- the sample disc: a few files in an ISO 9660 image whose size is a whole
# number of 4 KiB pages, so that the size Wine reports equals the bytes on it.
mkdir -p "$work/content/docs" "$work/drive" "$work/images"
printf 'orvane sample disc\r\n' >"$work/content/README.TXT"
seq 1 200000 >"$work/content/docs/NUMBERS.TXT"
head -c 3000000 /dev/urandom >"$work/content/DATA.BIN"
xorriso -as mkisofs -quiet -V "$label" -o "$work/sample.iso" "$work/content" 2>/dev/null
size=$(stat -c %s "$work/sample.iso")
size=$(( (size + 4095) / 4096 * 4096 ))
truncate -s "$size" "$work/sample.iso"

# --- a private Wine prefix with the sample disc as optical drive D:
wineboot -i >/dev/null 2>&1
loop=$(losetup -f --show -r "$work/sample.iso")
mount -t tmpfs -o "size=$size,mode=0755" orvane-sample "$work/drive"
mounted=$work/drive
ln -sfn "$work/drive" "$WINEPREFIX/dosdevices/d:"
ln -sfn "$loop" "$WINEPREFIX/dosdevices/d::"
wine reg add 'HKLM\Software\Wine\Drives' /v d: /d cdrom /f >/dev/null 2>&1
wineserver -k 2>/dev/null || true   # the mount manager reads the drives when it starts
wineserver -w 2>/dev/null || true
wineserver -p

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "orvane: running on $DISPLAY with the sample disc \"$label\" in drive D:"
  wine "$exe" >/dev/null 2>&1 || true
  exit 0
fi

# --- no display: a private Xvfb, one Save run played through the dialogs.
# shellcheck source=../tests/tools/display.sh
source "$root/tests/tools/display.sh"
display_start_xvfb "$work/xvfb.log"

# Without a window manager Wine would wait for one whenever a window is hidden:
# let it manage none. A Wine desktop window draws the dialogs' title bars.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
display_register_marlett
wine explorer /desktop=orvane,640x400 "$exe" >/dev/null 2>&1 &
prog_pid=$!

target="Z:${work//\//\\}\\images\\$label"
report=$work/report.txt
echo "orvane: Save run of the sample disc \"$label\" (drive D:, $size bytes) into $work/images/$label.iso"
echo
# The driver works on the same Wine desktop as the program (windows of another
# desktop are out of its sight) and writes the report once the run is over.
wine explorer /desktop=orvane,640x400 "$driver" save "$target" "Z:${report//\//\\}" >/dev/null 2>&1 &
for _ in $(seq 1 1200); do [ -s "$report" ] && break; sleep 0.5; done
[ -s "$report" ] || { echo "run: the Save run did not complete" >&2; exit 1; }
sleep 1
cat "$report"
echo
shotdir=$root/build/run
mkdir -p "$shotdir"
shot=$shotdir/orvane-save-run.png
import -window root -crop 640x400+0+0 +repage "$shot"

if cmp -s "$work/sample.iso" "$work/images/$label.iso"; then
  echo "orvane: the image equals the sample disc byte for byte ($size bytes)"
else
  echo "orvane: the image differs from the sample disc" >&2
fi
echo "orvane: the sample disc by rhash: $(rhash --printf 'CRC-32 %C  MD5 %M  SHA-1 %H' "$work/sample.iso")"
echo "orvane: screenshot of the result: $shot"

wine explorer /desktop=orvane,640x400 "$driver" close >/dev/null 2>&1 || true
# The program ends with its dialog; the Wine desktop may outlive it and goes
# with the wineserver at exit.
for _ in $(seq 1 100); do kill -0 "$prog_pid" 2>/dev/null || break; sleep 0.1; done
