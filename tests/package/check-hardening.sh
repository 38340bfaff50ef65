#!/usr/bin/env bash
# Checks the defences a program run from a download folder needs, read from the
# built executable itself: its PE header, its manifest and its code.
#   - ASLR (also high-entropy), DEP and terminal-server awareness in the header;
#   - the manifest's supported Windows versions: 7, 8, 8.1 and 10/11;
#   - the manifest's processor architecture that of the executable's machine;
#   - the DLL search limited at start-up (SetDefaultDllDirectories);
#   - the stack protector in the program's own code.
#
# usage: check-hardening.sh EXE
set -euo pipefail
exe=$1
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
nm=${NM:-x86_64-w64-mingw32-nm}

missing=()
header=$("$objdump" -p "$exe")
for flag in DYNAMIC_BASE HIGH_ENTROPY_VA NX_COMPAT TERMINAL_SERVICE_AWARE; do
  grep -qw "$flag" <<<"$header" || missing+=("DllCharacteristics $flag")
done

# The manifest is stored as plain UTF-8 text in the resource section.
declare -A windows=(
  [7]=35138b9a-5d96-4fbd-8e2d-a2440225f93a
  [8]=4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38
  [8.1]=1f676c76-80e1-4239-95bb-83d0f6d0da78
  [10/11]=8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a
)
for v in 7 8 8.1 10/11; do
  grep -qaF "<supportedOS Id=\"{${windows[$v]}}\"/>" "$exe" || missing+=("manifest supportedOS for Windows $v")
done

# Windows refuses to start an executable whose manifest names another
# machine's architecture (Wine starts it all the same). The program's own
# assembly comes first in the manifest; its dependencies follow.
machine=$("$objdump" -f "$exe" | sed -n 's/^architecture: \([^,]*\),.*/\1/p')
case $machine in
  i386:x86-64) want=amd64 ;;
  i386) want=x86 ;;
  aarch64) want=arm64 ;;
  *) want="(none known for $machine)" ;;
esac
arch=$(grep -aoE '<assemblyIdentity [^>]*>' "$exe" | awk 'NR == 1' | sed -n 's/.*processorArchitecture="\([^"]*\)".*/\1/p')
[ "$arch" = "$want" ] || missing+=("the manifest's processorArchitecture \"$want\" for a $machine executable (it has \"$arch\")")

# Looked up by name in kernel32 (Windows 7 has it only with an update), so the
# name stands in the executable beside an import of GetProcAddress.
grep -qaF SetDefaultDllDirectories "$exe" && grep -qw GetProcAddress <<<"$header" ||
  missing+=("the call to SetDefaultDllDirectories")

# The guard and its failure handler are linked in, and the program's code calls
# the handler: functions with buffers on their stack check their canary.
symbols=$("$nm" "$exe" 2>/dev/null || true)
calls=$("$objdump" -d "$exe" | grep -c 'call.*<__stack_chk_fail>' || true)
if ! grep -qw __stack_chk_guard <<<"$symbols" || ((calls == 0)); then
  missing+=("the stack protector (no checked function found)")
fi

if ((${#missing[@]})); then
  echo "$exe lacks:" >&2
  printf '  %s\n' "${missing[@]}" >&2
  exit 1
fi
echo "$exe: ASLR, high-entropy ASLR, DEP, terminal-server aware; supports Windows 7, 8, 8.1, 10/11 on $want;" \
  "limits its DLL search; $calls places check a stack canary"
