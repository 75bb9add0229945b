#!/usr/bin/env bash
# The Windows zip that `make package` built from the cross build: exactly the
# two programs and the README, the programs 64-bit Windows executables that
# load nothing but the system's own DLLs and carry no debug data, and the
# README in Windows line ends.
set -u
cd "$(dirname "$0")/../.." || exit 1
. tests/package/lib.sh

command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 ||
  skip "no mingw-w64 cross compiler, so no Windows zip to check"
needs unzip=unzip x86_64-w64-mingw32-objdump=binutils-mingw-w64-x86-64

version=$(project_version)
folder="colorconsole-$version-win64"
zip="$WINDOWS_BUILD_DIR/packages/$folder.zip"
[ -f "$zip" ] || {
  fail "$zip was not built"
  finish
}
mapfile -t programs < <(expected_programs)

expected="$folder/README.txt"
for program in "${programs[@]}"; do
  expected+=$'\n'"$folder/$program.exe"
done
found=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
expected=$(sort <<<"$expected")
[ "$found" = "$expected" ] || fail "zip contents differ:"$'\n'"$(diff <(echo "$expected") <(echo "$found"))"

unzip -q "$zip" -d "$scratch" || fail "unzip could not unpack $zip"

# DLLs that every Windows system has: the programs may import these and no others.
system_dlls='^(kernel32|user32|ole32|oleaut32|advapi32|gdi32|shell32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
for program in "${programs[@]}"; do
  exe="$scratch/$folder/$program.exe"
  [ -f "$exe" ] || continue
  headers=$(x86_64-w64-mingw32-objdump -p "$exe" 2>&1)
  grep -q 'file format pei-x86-64' <<<"$headers" || fail "$program.exe: not a 64-bit Windows executable"
  grep -Eq '^Subsystem[[:space:]]+0*3[[:space:]]' <<<"$headers" ||
    fail "$program.exe: not built for the console subsystem"
  for dll in $(awk '/DLL Name:/ {print $3}' <<<"$headers"); do
    lower=$(tr '[:upper:]' '[:lower:]' <<<"$dll")
    [[ "$lower" =~ $system_dlls ]] || fail "$program.exe: imports $dll, which Windows does not ship"
  done
  if x86_64-w64-mingw32-objdump -h "$exe" | grep -q '\.debug_'; then
    fail "$program.exe: carries debug sections (not stripped)"
  fi
done

readme="$scratch/$folder/README.txt"
if [ -f "$readme" ]; then
  lines=$(wc -l <"$readme")
  crlf=$(grep -c $'\r$' "$readme")
  [ "$lines" -gt 0 ] && [ "$crlf" -eq "$lines" ] ||
    fail "README.txt: $crlf of $lines lines end in CR LF"
  grep -q '@[A-Z_]*@' "$readme" && fail "README.txt: a placeholder was left unfilled"
  for program in "${programs[@]}"; do
    grep -q "^$program" "$readme" || fail "README.txt: says nothing of $program"
  done
fi

[ "$failures" -eq 0 ] && echo "ok: $(basename "$zip")"
finish
