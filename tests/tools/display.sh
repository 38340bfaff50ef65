# Display helpers shared by the test environment and the scripts (sourced).

# Starts a private Xvfb; Xvfb picks a free display number and tells it through
# a pipe. Exports DISPLAY and leaves the server's process id in xvfb_pid.
# usage: display_start_xvfb LOGFILE
display_start_xvfb() {
  local dfd dnum
  exec {dfd}<> <(:)
  Xvfb -displayfd "$dfd" -screen 0 1024x768x24 -nolisten tcp >"$1" 2>&1 &
  xvfb_pid=$!
  read -r -t 20 -u "$dfd" dnum
  exec {dfd}>&-
  export DISPLAY=":$dnum"
}

# Wine draws the title bar buttons with its Marlett font, which a new prefix
# does not register.
display_register_marlett() {
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' \
    /v 'Marlett (TrueType)' /d marlett.ttf /f >/dev/null 2>&1
}
