# Starting and ending the wineserver of a private Wine prefix, and the desktop
# process of its session (sourced by the test environment and the scripts).

# Makes the prefix $WINEPREFIX and starts its wineserver, which stays alive
# (persistent) until wine_server_end.
wine_prefix_start() {
  mkdir -p "$WINEPREFIX"
  wineserver -p
  wineboot -i >/dev/null 2>&1
}

# Restarts the prefix's wineserver: Wine's mount manager reads the drives when
# the wineserver starts.
wine_server_restart() {
  wineserver -k && wineserver -w
  wineserver -p
}

# Starts the prefix's desktop process (explorer.exe /desktop) with its
# standard streams on /dev/null, and keeps it running until wine_server_end.
# Wine starts that process for the first program that needs the desktop,
# forked from that program, so that it keeps the program's Unix descriptors
# (seen: a test's output pipe and ctest's log, on which ctest then waited until
# its time limit), and ends it once no program uses the desktop. Here a small
# program of our own (desktop-keeper.c) asks for the desktop with nothing but
# /dev/null open, tells when it is up and stays. Fails, saying why, when the
# desktop process does not run so afterwards.
#
# Call it first after the wineserver starts: Wine's start-up (wineboot) starts
# services.exe, winedevice.exe, plugplay.exe, svchost.exe and rpcss.exe for the
# first program of a session, and they keep that program's standard error.
wine_session_start() {
  local keeper=$ORVANE_TEST_WORK/desktop-keeper.exe ready=$ORVANE_TEST_WORK/desktop-ready
  if [ ! -f "$keeper" ]; then
    x86_64-w64-mingw32-gcc -municode -mwindows -O2 -Wall -Wextra -Werror -o "$keeper" \
      "$(dirname "${BASH_SOURCE[0]}")/desktop-keeper.c" || return 1
  fi
  rm -f "$ready"
  wine "$keeper" "Z:${ready//\//\\}" </dev/null >/dev/null 2>&1 &
  local keeper_pid=$! i
  # Up to two minutes: the first program of a session waits for Wine's start-up.
  for ((i = 0; i < 1200; i++)); do
    [ -e "$ready" ] && break
    kill -0 "$keeper_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -e "$ready" ]; then
    echo "wine-server: the desktop process of $WINEPREFIX did not start" >&2
    return 1
  fi
  wine_desktop_check
}

# Prints the process id of the desktop process of $WINEPREFIX, found by its
# command line and its environment: other prefixes' desktop processes run on
# the same machine.
wine_desktop_pids() {
  local f pid
  for f in $(grep -lsaF explorer.exe /proc/[0-9]*/cmdline); do
    [[ $(tr '\0' ' ' 2>/dev/null <"$f") =~ explorer\.exe\"?\ /desktop\ *$ ]] || continue
    pid=${f#/proc/} && pid=${pid%/cmdline}
    grep -qzxF "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ" 2>/dev/null && echo "$pid"
  done
  return 0
}

# Checks that the desktop process of $WINEPREFIX runs with its standard
# streams on /dev/null.
wine_desktop_check() {
  local pids pid fd target
  pids=$(wine_desktop_pids)
  if [ -z "$pids" ]; then
    echo "wine-server: no desktop process of $WINEPREFIX runs" >&2
    return 1
  fi
  for pid in $pids; do
    for fd in 0 1 2; do
      target=$(readlink "/proc/$pid/fd/$fd")
      if [ "$target" != /dev/null ]; then
        echo "wine-server: the desktop process of $WINEPREFIX (pid $pid) has $target as descriptor $fd" >&2
        return 1
      fi
    done
  done
}

# Prints the folder where the wineserver of $WINEPREFIX keeps its socket and
# lock: server-<device>-<inode> (the prefix directory's, in hex) under a
# temporary folder of its own. Debian's Wine makes that folder with mkdtemp
# (wine-XXXXXX under $TMPDIR or /tmp) and records its name in the prefix's file
# "wineserver"; Wine without that change uses /tmp/.wine-<uid>, shared by all
# of the user's prefixes. Prints nothing when neither exists.
wine_server_dir() {
  local dev ino server name parent
  # stat gives the device in hex and the inode in decimal; Wine names both in hex.
  read -r dev ino < <(stat -c '%D %i' "$WINEPREFIX" 2>/dev/null) || return 0
  server=$(printf 'server-%s-%x' "$dev" "$ino")
  if [ -f "$WINEPREFIX/wineserver" ]; then
    name=$(cat "$WINEPREFIX/wineserver")
    [[ $name =~ ^wine-[A-Za-z0-9]{6}$ ]] || return 0
    parent=${TMPDIR:-/tmp}/$name
  else
    parent=/tmp/.wine-$(id -u)
  fi
  [ -d "$parent/$server" ] && echo "$parent/$server"
  return 0
}

# Ends the wineserver of $WINEPREFIX, and with it every Wine process of that
# prefix, waits until it is gone and removes its folder (and the temporary
# folder around it when nothing else is left there). Other prefixes' servers
# and folders are not touched.
wine_server_end() {
  [ -d "${WINEPREFIX:-}" ] || return 0
  local dir
  dir=$(wine_server_dir)
  wineserver -k 2>/dev/null && wineserver -w 2>/dev/null
  if [ -n "$dir" ]; then
    rm -rf "$dir"
    rmdir "$(dirname "$dir")" 2>/dev/null
  fi
  return 0
}
