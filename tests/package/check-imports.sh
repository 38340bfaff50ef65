#!/usr/bin/env bash
# Checks that a Windows executable imports system DLLs only, so that it runs
# from the package alone: every DLL in its import table must be one that
# Windows itself provides (taken here from Wine's set of Windows system DLLs),
# and none may be a MinGW runtime DLL.
#
# usage: check-imports.sh EXE
set -euo pipefail
exe=$1
sysdir=${WINE_SYSTEM_DLLS:-/usr/lib/x86_64-linux-gnu/wine/x86_64-windows}
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}

[ -d "$sysdir" ] || { echo "no list of system DLLs at $sysdir" >&2; exit 2; }
mapfile -t dlls < <("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p')
if ((${#dlls[@]} == 0)); then
  echo "$exe: no import table found" >&2
  exit 1
fi

bad=0
has_kernel32=0
for dll in "${dlls[@]}"; do
  lower=${dll,,}
  [ "$lower" = kernel32.dll ] && has_kernel32=1
  case $lower in
    libstdc++*|libgcc*|libwinpthread*|libssp*|mingw*)
      echo "$exe imports the MinGW runtime DLL $dll" >&2; bad=1; continue ;;
  esac
  if [ ! -e "$sysdir/$lower" ]; then
    echo "$exe imports $dll, which is not a Windows system DLL" >&2
    bad=1
  fi
done
# Uniscribe's functions are usp10.dll's on every Windows; gdi32.dll names them
# only on newer systems and under Wine, where the program would start all the same.
misplaced=$("$objdump" -p "$exe" |
  awk '/DLL Name:/ { dll = tolower($3) } $NF ~ /^Script[A-Z]/ && dll != "usp10.dll" { printf " %s!%s", dll, $NF }')
if [ -n "$misplaced" ]; then
  echo "$exe imports Uniscribe functions from elsewhere than usp10.dll:$misplaced" >&2
  bad=1
fi
((has_kernel32)) || { echo "$exe: kernel32.dll missing from the import list (unreadable table?)" >&2; bad=1; }
((bad)) && exit 1
echo "$exe imports only system DLLs: ${dlls[*]}"
