#!/usr/bin/env bash
# Plays the round in which the test command once stalled: a test program is
# the first program of a Wine session to need the desktop. Wine starts the
# prefix's desktop process (explorer.exe /desktop) for the first program that
# needs it, forked from that program, and the desktop process keeps that
# program's Unix file descriptors: ctest's output pipe among them, on which
# ctest waits after the test has ended.
#
# usage: tests/tools/with-test-env.sh tests/tools/desktop-stall.sh [-k] [CTEST_ARG...]
#   default: --test-dir build/win -R framework_tests --timeout 30
#   -k  keeps the session as the test environment made it: only watches ctest
#
# The round restarts the prefix's wineserver, which ends every Wine process of
# the prefix, and starts the new session as the test environment does
# (wine_session_start), with one difference: Wine's winemenubuilder is switched
# off. Wine runs it at the start of a session; it asks for the desktop window,
# and so starts the desktop process, which then outlives it or not, depending
# on timing. Then ctest runs a suite whose dialogs need the desktop, under a
# short limit, and five times a second the round notes each process of the
# prefix that holds one of ctest's descriptors (the pipes of the test's output,
# the log files). It prints ctest's result, its seconds, those holders and the
# standard streams of the desktop process, and exits with ctest's exit code.
set -uo pipefail
tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$tools/../.." && pwd)
# shellcheck source=wine-server.sh
source "$tools/wine-server.sh"
[ -n "${ORVANE_TEST_WORK:-}" ] || { echo "desktop-stall: run it under tests/tools/with-test-env.sh" >&2; exit 2; }
keep=
[ "${1:-}" = -k ] && keep=1 && shift
(($#)) || set -- --test-dir "$root/build/win" -R framework_tests --timeout 30

if [ -z "$keep" ]; then
  wine_server_restart
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winemenubuilder.exe=d"
  wine_session_start || exit 1
fi

# "pid fd target" for each descriptor of the given processes.
descriptors() {
  local pid dirs=()
  for pid; do dirs+=("/proc/$pid/fd"); done
  find "${dirs[@]}" -mindepth 1 -maxdepth 1 -printf '%h %f %l\n' 2>/dev/null | sed 's|^/proc/||; s|/fd | |'
}

# The command line of a Wine process from its program's name on.
command_of() {
  local c
  c=$(tr '\0' ' ' 2>/dev/null <"/proc/$1/cmdline" | sed 's/ *$//')
  echo "${c##*\\}"
}

# Seconds since the round's ctest started, to a tenth.
elapsed() { awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }'; }

declare -A first last what
out=$ORVANE_TEST_WORK/desktop-stall.out
ctest "$@" >"$out" 2>&1 &
ctest_pid=$!
start=$EPOCHREALTIME
while kill -0 "$ctest_pid" 2>/dev/null; do
  now=$(elapsed)
  # What ctest holds of its own (not inherited from here): the read ends of
  # the test's output pipes, its log files.
  ours=$(descriptors "$ctest_pid" | awk -v self="$(descriptors $$ | awk '{ print $3 }')" '
    BEGIN { n = split(self, s, "\n"); for (i = 1; i <= n; i++) inherited[s[i]] = 1 }
    ($3 ~ /^pipe:/ || $3 ~ /\/Testing\//) && !($3 in inherited) { print $3 }')
  while read -r pid fd t; do
    [ "$pid" = "$ctest_pid" ] && continue
    grep -qzxF "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ" 2>/dev/null || continue
    key="$pid $fd $t"
    [ -n "${first[$key]:-}" ] || { first[$key]=$now; what[$key]="$(command_of "$pid") | fd $fd -> $t"; }
    last[$key]=$now
  done < <(cd /proc && descriptors [0-9]* | awk -v ours="$ours" '
    BEGIN { n = split(ours, o, "\n"); for (i = 1; i <= n; i++) held[o[i]] = 1 }
    $3 in held')
  sleep 0.2
done
wait "$ctest_pid"
rc=$?
seconds=$(elapsed)

grep -E '^ *[0-9]+/[0-9]+ Test|tests passed|tests failed|Timeout' "$out"
echo "desktop-stall: ctest exit code $rc after $seconds s"
echo "desktop-stall: processes of the prefix that held ctest's descriptors (seconds into the round):"
for key in "${!first[@]}"; do
  printf '  %5s-%-5s pid %-7s %s\n' "${first[$key]}" "${last[$key]}" "${key%% *}" "${what[$key]}"
done | sort -n
for pid in $(wine_desktop_pids); do
  echo "desktop-stall: at the end, the desktop process (pid $pid) has 0 -> $(readlink "/proc/$pid/fd/0")," \
    "1 -> $(readlink "/proc/$pid/fd/1"), 2 -> $(readlink "/proc/$pid/fd/2")"
done
exit "$rc"
