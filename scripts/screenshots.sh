#!/usr/bin/env bash
# Renders the main dialog (with the optical drives of the test environment),
# the About box and a result dialog to docs/*.png. Each runs in a Wine virtual
# desktop, which draws title bars, inside the private test environment
# (tests/tools/with-test-env.sh: Xvfb, Wine prefix, virtual drives).
# Then plays the run command without a display and keeps its result dialog
# (docs/save-run.png) and its output, drawn as a terminal shows it
# (docs/run-output.png).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

if [ "${1:-}" != "--inside" ]; then
  cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
  cmake --build build/win -j 2 --target show_dialogs
  tests/tools/with-test-env.sh "$0" --inside
  # The run command's own output, once its build step has nothing left to do.
  cmake --build build/win -j 2 --target orvane orvane-driver >/dev/null
  (unset DISPLAY; bash scripts/run.sh) >build/run-output.txt 2>&1
  cp build/run/orvane-save-run.png docs/save-run.png
  echo docs/save-run.png
  # One label a line. ImageMagick reads a backslash in a label as an escape
  # (doubled here) and trims leading blanks (no-break spaces here).
  mapfile -d '' lines < <(python3 -c '
import sys
for line in open(sys.argv[1], encoding="utf-8").read().splitlines():
    line = line.expandtabs(8).replace("\\", "\\\\").replace("%", "%%")
    body = line.lstrip(" ")
    sys.stdout.write("label:" + "\u00a0" * (len(line) - len(body)) + (body or "\u00a0") + "\0")
' build/run-output.txt)
  convert -background '#1e1e1e' -fill '#dcdcdc' -font DejaVu-Sans-Mono -pointsize 13 \
    "${lines[@]}" -gravity West -append +repage -bordercolor '#1e1e1e' -border 12 docs/run-output.png
  echo docs/run-output.png
  exit 0
fi

show=build/win/tests/app/show_dialogs.exe
mkdir -p docs

# shellcheck source=../tests/tools/display.sh
source tests/tools/display.sh
display_register_marlett

# shot NAME MODE WIDTH HEIGHT
shot() {
  local name=$1 mode=$2 width=$3 height=$4
  wine explorer "/desktop=$name,${width}x$height" "$show" "$mode" 7 >/dev/null 2>&1 &
  local pid=$!
  sleep 5
  import -window root -crop "${width}x$height+0+0" +repage "docs/$name.png"
  wait "$pid" || true
  echo "docs/$name.png"
}

shot main-dialog main 400 180
shot drive-list list 400 320
shot about-box about 400 180
shot result-dialog result 460 220
