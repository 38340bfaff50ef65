#!/usr/bin/env bash
# Renders the main dialog (with the optical drives of the test environment),
# the About box and a result dialog to docs/*.png. Each runs in a Wine virtual
# desktop, which draws title bars, inside the private test environment
# (tests/tools/with-test-env.sh: Xvfb, Wine prefix, virtual drives).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

if [ "${1:-}" != "--inside" ]; then
  cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
  cmake --build build/win -j 2 --target show_dialogs
  exec tests/tools/with-test-env.sh "$0" --inside
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
