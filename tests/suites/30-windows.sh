#!/usr/bin/env bash
# The Windows build: the runtime, both programs and the unit tests
# cross-compiled with mingw-w64 into static .exe files; the unit tests run
# under wine through CTest, then both programs run under wine in tmux and
# their screens are compared cell by cell.
set -u
# shellcheck source=tests/suite-lib.sh
. "$(dirname "$0")/../suite-lib.sh"
dir="${WINDOWS_BUILD_DIR:-build-windows}"
toolchain=cmake/toolchains/mingw-w64-x86_64.cmake

# What the suite needs, and the Debian package that brings it.
needs x86_64-w64-mingw32-g++-posix=g++-mingw-w64-x86-64-posix wine=wine \
  /usr/lib/wine/wine64=wine64 /usr/src/googletest/CMakeLists.txt=googletest tmux=tmux \
  python3=python3 flock=util-linux

cross_build "$dir" "$toolchain" || exit 1

# Every program must stand alone: no DLL beyond the system's own.
status=0
for exe in "$dir"/bin/*.exe; do
  extra=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}' |
    grep -v -x -E 'kernel32.dll|user32.dll|ole32.dll|oleaut32.dll|msvcrt.dll|advapi32.dll' || true)
  if [ -n "$extra" ]; then
    echo "FAIL: $exe needs $(echo "$extra" | tr '\n' ' ')"
    status=1
  fi
done

# One wine prefix for the whole suite, created once, with a server that stays
# up between the many short test processes and is ended afterwards.
export WINEPREFIX="$PWD/$dir/wine"
tests/windows/wine-run --prefix "$WINEPREFIX" cmd /c exit >/dev/null 2>&1 </dev/null
wineserver -p
trap 'wineserver -k 2>/dev/null; true' EXIT

# On a loaded machine a test process now and then loses its connection to
# the wine server ("recvmsg: Connection reset by peer") and dies before its
# first line: such a test gets one more run, and fails for good if it fails
# again.
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" --repeat until-pass:2 || status=1

WINDOWS_BUILD_DIR="$dir" python3 tests/windows/run.py || status=1
exit "$status"
