#!/usr/bin/env bash
# Runs a command inside a private test environment for Windows programs:
#   - a fresh Wine prefix of its own (WINEPREFIX), with one wineserver kept alive
#     for the whole command so that Wine's start-up is paid once;
#   - an Xvfb display of its own (DISPLAY), and Wine's desktop process running
#     on it with its standard streams on /dev/null before the command starts;
#   - the virtual optical drives that tests/tools/drives.sh sets up, when present.
# Everything it started is ended by its own id (the wineserver by its prefix),
# and every loop device, mount and folder it made is removed, the wineserver's
# own folder under /tmp included, also when the command fails or is interrupted.
#
# usage: with-test-env.sh COMMAND [ARG...]
set -euo pipefail

tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine-server.sh
source "$tools/wine-server.sh"
work=$(mktemp -d /tmp/orvane-test.XXXXXX)
export ORVANE_TEST_WORK=$work
export WINEPREFIX=$work/prefix
# Wine's own logging off, but for its exception messages: an exception that Wine
# swallows inside a window procedure ("err:seh:... ignoring exception") then
# shows in the test's output instead of passing unseen.
export WINEDEBUG=-all,err+seh
export WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=

cleanup() {
  local rc=$?
  set +e
  # Wine's processes go first: they hold the drives' devices and folders open.
  wine_server_end
  if declare -F drives_teardown >/dev/null; then drives_teardown; fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
  exit $rc
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A display of its own.
# shellcheck source=display.sh
source "$tools/display.sh"
display_start_xvfb "$work/xvfb.log"

wine_prefix_start
# The prefix's settings, kept in its registry across wineserver restarts:
# - Without a window manager Wine waits up to two seconds for one whenever a
#   managed window is hidden: let it manage none.
# - No crash debugger. Wine starts the one that AeDebug names (winedbg --auto)
#   for a program that crashes, and it held a crashed test program until
#   ctest's time limit. With an empty command there is none to start, and the
#   program ends at once with its exception code (Auto 0 instead would ask in
#   a message box).
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null 2>&1

if [ -f "$tools/drives.sh" ]; then
  # shellcheck source=/dev/null
  source "$tools/drives.sh"
  drives_setup
  wine_server_restart
fi

# The desktop process, up before any test needs it (see wine_session_start).
wine_session_start
if declare -F drives_ready >/dev/null; then drives_ready; fi

"$@"
