#!/usr/bin/env bash
# Runs test executables again and again inside the test environment and keeps
# the evidence of any round that hangs: its output, a Wine trace of the round
# and, while it still hangs, the call stacks of all its threads (winedbg).
#
# usage: tests/tools/with-test-env.sh tests/tools/hunt-stall.sh \
#          [-n ROUNDS] [-t SECONDS] [-s SECONDS] [-d WINEDEBUG] [-o DIR] EXE...
#   -n  rounds in all, the executables taking turns (default 100)
#   -t  start no round once this many seconds have passed (default: no limit)
#   -s  a round running longer than this is taken as hung (default 60)
#   -d  Wine debug channels for the trace (default +msg,+win; -all for none)
#   -o  where the evidence goes (default $ORVANE_TEST_WORK/../orvane-stall.<pid>,
#       kept after the environment is gone)
# A hung round is ended after a further 150 s. Prints one line a round (exit
# code, seconds) and ends with the count of passed, failed and hung rounds.
set -uo pipefail

rounds=100 limit=60 channels=+msg,+win out= until=
while getopts n:t:s:d:o: opt; do
  case $opt in
    n) rounds=$OPTARG ;; t) until=$OPTARG ;; s) limit=$OPTARG ;; d) channels=$OPTARG ;; o) out=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
(($#)) || { echo "usage: hunt-stall.sh [-n ROUNDS] [-t SECONDS] [-s SECONDS] [-d WINEDEBUG] [-o DIR] EXE..." >&2; exit 2; }
exes=("$@")
out=${out:-$(dirname "${ORVANE_TEST_WORK:-/tmp/x}")/orvane-stall.$$}
mkdir -p "$out"
echo "hunt-stall: evidence of hung rounds goes to $out"

passed=0 failed=0 hung=0
for ((i = 1; i <= rounds; i++)); do
  if [ -n "$until" ] && ((SECONDS >= until)); then rounds=$((i - 1)); break; fi
  exe=${exes[$(((i - 1) % ${#exes[@]}))]}
  start=$SECONDS
  WINEDEBUG=$channels timeout -s KILL $((limit + 150)) wine "$exe" >"$out/out.$i" 2>"$out/trace.$i" &
  pid=$!
  stalled=
  while kill -0 "$pid" 2>/dev/null; do
    sleep 1
    if [ -z "$stalled" ] && ((SECONDS - start >= limit)); then
      stalled=1
      # The call stacks of its threads (winedbg goes on to the other
      # processes of the prefix, which takes a while).
      wpid=$(WINEDEBUG=-all winedbg --command "info proc" 2>/dev/null |
             awk -v n="'$(basename "$exe")'" '$3 == n { print $1 }' | head -n 1)
      [ -n "$wpid" ] && printf 'attach 0x%s\nbt all\ndetach\nquit\n' "$wpid" |
        WINEDEBUG=-all timeout 100 winedbg >"$out/stacks.$i" 2>&1
    fi
  done
  wait "$pid"; rc=$?
  if [ -n "$stalled" ]; then hung=$((hung + 1)); state=HUNG
  elif ((rc == 0)); then passed=$((passed + 1)); state=passed; rm -f "$out/out.$i" "$out/trace.$i"
  else failed=$((failed + 1)); state=FAILED
  fi
  echo "round $i $(basename "$exe"): $state (exit $rc, $((SECONDS - start)) s)"
done
echo "hunt-stall: $passed passed, $failed failed, $hung hung of $rounds rounds"
((failed + hung == 0))
