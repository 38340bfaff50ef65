#!/usr/bin/env bash
# Checks that a Windows executable imports only DLLs that Windows' loader takes
# from its own system folder whatever lies beside the executable. orvane.exe is
# started from download folders, and a static import is bound before any of the
# program's code runs, from the executable's own folder first, unless the DLL
# is one of the system's KnownDLLs ("If the DLL is on the list of known DLLs for
# the version of Windows on which the application is running, then the system
# uses its copy of the known DLL"). So each imported DLL must be:
#   - ntdll.dll, which every process has loaded before the executable;
#   - an API set (api-ms-win-*, ext-ms-win-*), which the loader resolves itself;
#   - a KnownDLL of both Windows 10 and Windows 11 (HKLM\SYSTEM\CurrentControlSet\
#     Control\Session Manager\KnownDLLs);
#   - comctl32.dll, where the executable's manifest binds it to the side-by-side
#     assembly Microsoft.Windows.Common-Controls.
# Any other DLL (usp10, uxtheme, version, a MinGW runtime DLL ...) fails the check:
# the program must load it at run time from the system folder alone.
#
# usage: check-imports.sh EXE
set -euo pipefail
exe=$1
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}

known=" advapi32.dll clbcatq.dll combase.dll comdlg32.dll coml2.dll difxapi.dll gdi32.dll gdiplus.dll
 imagehlp.dll imm32.dll kernel32.dll msctf.dll msvcrt.dll normaliz.dll nsi.dll ole32.dll oleaut32.dll
 psapi.dll rpcrt4.dll sechost.dll setupapi.dll shcore.dll shell32.dll shlwapi.dll user32.dll wldap32.dll
 ws2_32.dll "

mapfile -t dlls < <("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p')
if ((${#dlls[@]} == 0)); then
  echo "$exe: no import table found" >&2
  exit 1
fi

# The manifest is kept in the resources as plain text.
sxs_comctl=0
grep -aq 'name="Microsoft.Windows.Common-Controls"' "$exe" && sxs_comctl=1

bad=0
has_kernel32=0
for dll in "${dlls[@]}"; do
  lower=${dll,,}
  [ "$lower" = kernel32.dll ] && has_kernel32=1
  case $lower in
    ntdll.dll|api-ms-win-*|ext-ms-win-*) continue ;;
    comctl32.dll)
      ((sxs_comctl)) && continue
      echo "$exe imports comctl32.dll without a manifest that binds it to the side-by-side assembly" >&2
      bad=1; continue ;;
  esac
  if [[ $known != *" $lower "* ]]; then
    echo "$exe imports $dll, which Windows would load from the executable's folder first (not a KnownDLL)" >&2
    bad=1
  fi
done
((has_kernel32)) || { echo "$exe: kernel32.dll missing from the import list (unreadable table?)" >&2; bad=1; }
((bad)) && exit 1
echo "$exe imports only DLLs that Windows takes from its system folder: ${dlls[*]}"
