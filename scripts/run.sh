#!/usr/bin/env bash
# Builds orvane.exe and runs it under Wine, in the Russian locale, with a sample
# disc in drive D: (a small ISO 9660 image made here, served read-only through
# a loop device).
#
# With a usable X display ($DISPLAY) the program opens there and the user works
# with it; the sample disc goes away when the program ends. Without one it runs
# on a private Xvfb display and a driver (tests/e2e/DemoDriver.cpp) plays one
# Save run of the sample disc through the real dialogs. The script tells each
# step, prints the report, checks the image against the disc and leaves the
# image, its report file and a screenshot of the result in build/run/.
#
# Everything it starts is ended by its own id; the loop device, the mount, the
# private Wine prefix and its wineserver's folder are removed at exit.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=../tests/tools/wine-server.sh
source "$root/tests/tools/wine-server.sh"
# shellcheck source=../tests/tools/drives.sh
source "$root/tests/tools/drives.sh"

say() { echo "orvane: $*"; }

say "building orvane.exe and the demo driver (build/win)"
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build build/win -j 2 --target orvane orvane-driver
exe=$(find build/win -name orvane.exe -type f | head -n 1)
driver=$(find build/win -name orvane-driver.exe -type f | head -n 1)
[ -n "$exe" ] || { echo "run: orvane.exe was not built" >&2; exit 1; }

work=$(mktemp -d /tmp/orvane-run.XXXXXX)
export WINEPREFIX=$work/prefix
export WINEDEBUG=-all,err+seh
export WINEDLLOVERRIDES="mscoree,mshtml="
export ORVANE_TEST_WORK=$work
label=ORVANE_SAMPLE
xvfb_pid= ; prog_pid=

cleanup() {
  local rc=$?
  set +e
  # Wine's processes first: they hold the drive's device and folder open.
  wine_server_end
  [ -n "$prog_pid" ] && wait "$prog_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  drives_teardown
  rm -rf "$work"
  exit $rc
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# --- the program's users' own locale: dates, times and system messages in
# Russian. Wine takes the Windows locale from the C library's when it makes the
# prefix.
if locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8'; then
  export LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
  say "the program runs in the Russian locale (ru_RU.UTF-8)"
else
  say "the locale ru_RU.UTF-8 is not installed (scripts/setup.sh generates it):" \
      "the program runs in the C locale, with dates and system messages in English form"
fi

# --- the sample disc: a few files in an ISO 9660 image. A drive's device may
# run past the file system on it, and under Wine the drive's size is that of
# the folder behind it, a whole number of 4 KiB pages: the image is padded with
# zeros to such a size, so that the size the drive reports and the bytes its
# device yields agree.
mkdir -p "$work/content/docs"
printf 'orvane sample disc\r\n' >"$work/content/README.TXT"
seq 1 200000 >"$work/content/docs/NUMBERS.TXT"
head -c 3000000 /dev/urandom >"$work/content/DATA.BIN"
xorriso -as mkisofs -quiet -V "$label" -o "$work/sample.iso" "$work/content" 2>/dev/null
fs_size=$(stat -c %s "$work/sample.iso")
size=$(( (fs_size + 4095) / 4096 * 4096 ))
truncate -s "$size" "$work/sample.iso"
say "made the sample disc \"$label\": an ISO 9660 image of three files, $fs_size bytes"
say "padded it with zeros to $size bytes: Wine gives a drive's size in whole 4 KiB pages"

# --- a private Wine prefix with the sample disc as optical drive D:, made as
# the test environment makes its drives. Without a usable display, a private
# Xvfb where a driver plays one Save run through the dialogs.
own_display=
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then own_display=1; fi
wine_prefix_start
if [ -z "$own_display" ]; then
  # shellcheck source=../tests/tools/display.sh
  source "$root/tests/tools/display.sh"
  display_start_xvfb "$work/xvfb.log"
  # Without a window manager Wine would wait for one whenever a window is
  # hidden: let it manage none. A Wine desktop window draws the dialogs' title bars.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  display_register_marlett
fi
ORVANE_ONE_DISC=$work/sample.iso ORVANE_ONE_DISC_LETTER=d drives_setup
wine_server_restart
# Wine's desktop process, up before the program as in the test environment.
wine_session_start
say "a new Wine prefix has the disc in its CD-ROM drive D: (read-only loop device $ORVANE_ONE_DISC_DEVICE)"

if [ -n "$own_display" ]; then
  say "orvane.exe runs on $DISPLAY; the sample disc goes when you close it"
  wine "$exe" >/dev/null 2>&1 || true
  exit 0
fi

# --- no display: one Save run played through the dialogs.
# What the run leaves for the user: the image, its report file, a screenshot.
# An image from an earlier run would make Save As ask whether to replace it.
out=$root/build/run
mkdir -p "$out"
image=$out/$label.iso
shot=$out/orvane-save-run.png
rm -f "$image" "$image.log" "$shot"

wine explorer /desktop=orvane,640x400 "$exe" >/dev/null 2>&1 &
prog_pid=$!
say "no display: orvane.exe runs on a private Xvfb display ($DISPLAY)"
say "a driver plays one Save run of the disc through the program's windows, as a user would"

steps=$work/steps.txt
# The driver works on the same Wine desktop as the program (windows of another
# desktop are out of its sight) and writes its steps and the report once the
# run is over.
wine explorer /desktop=orvane,640x400 "$driver" save "Z:${out//\//\\}\\$label" \
  "Z:${steps//\//\\}" >/dev/null 2>&1 &
for _ in $(seq 1 1200); do [ -s "$steps" ] && break; sleep 0.5; done
[ -s "$steps" ] || { echo "run: the Save run did not complete" >&2; exit 1; }
sleep 1   # the result dialog has been drawn
import -window root -crop 640x400+0+0 +repage "$shot"

# The driver's steps, then the report as the result dialog shows it.
in_report=
while IFS= read -r line; do
  if [ -n "$in_report" ]; then echo "    $line"
  elif [ -z "$line" ]; then in_report=1; echo
  else say "$line"
  fi
done <"$steps"
echo

if cmp -s "$work/sample.iso" "$image"; then
  say "the image equals the sample disc byte for byte ($size bytes)"
else
  say "the image differs from the sample disc" >&2
fi
# The report's checksums against rhash's of the disc.
read -r crc md5 sha1 < <(rhash --printf '%C %M %H\n' "$work/sample.iso")
report_sums=$(awk -F'\t' '$1 == "CRC-32:" || $1 == "MD5:" || $1 == "SHA-1:" { printf "%s ", $2 }' "$steps")
if [ "$report_sums" = "$crc $md5 $sha1 " ]; then
  say "the report's CRC-32, MD5 and SHA-1 equal those rhash computes of the sample disc"
else
  say "the report's checksums differ from rhash's of the sample disc: $crc $md5 $sha1" >&2
fi
if wine explorer /desktop=orvane,640x400 "$driver" close >/dev/null 2>&1; then
  say "pressed OK in the result dialog, then \"Выход\" (Exit): the program ends"
fi
# The program ends with its dialog; the Wine desktop may outlive it and goes
# with the wineserver at exit.
for _ in $(seq 1 100); do kill -0 "$prog_pid" 2>/dev/null || break; sleep 0.1; done
echo
say "left in build/run/:"
printf '    %-34s %s\n' "${image#"$root"/}" "the image of the disc" \
  "${image#"$root"/}.log" "the report file, where the program appended the report" \
  "${shot#"$root"/}" "a screenshot of the result dialog"
