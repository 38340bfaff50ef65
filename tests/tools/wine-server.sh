# Starting and ending the wineserver of a private Wine prefix (sourced by the
# test environment and the scripts).

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

# Wine starts its system processes on demand and they inherit the standard
# output of whichever program started them; ctest would then wait for that
# output to close long after a test has ended. One idle program kept running
# for the whole command keeps them alive, started here with no output at all.
wine_session_start() {
  rm -f "$ORVANE_TEST_WORK/keepalive"
  mkfifo "$ORVANE_TEST_WORK/keepalive"
  wine cmd.exe <"$ORVANE_TEST_WORK/keepalive" >/dev/null 2>&1 &
  exec {keepfd}>"$ORVANE_TEST_WORK/keepalive"
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
