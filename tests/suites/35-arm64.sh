#!/usr/bin/env bash
# The arm64 build: the runtime, both programs and the unit tests
# cross-compiled with g++-aarch64-linux-gnu against Debian's arm64 multiarch
# terminfo library; the unit tests run under qemu-aarch64 through CTest, then
# both programs' end-to-end tests run under qemu in tmux.
set -u
# shellcheck source=tests/suite-lib.sh
. "$(dirname "$0")/../suite-lib.sh"
dir="${ARM64_BUILD_DIR:-build-arm64}"
toolchain=cmake/toolchains/aarch64-linux-gnu.cmake
triplet=aarch64-linux-gnu

# What the suite needs, and the Debian package that brings it. The arm64
# libraries come from Debian's multiarch packages; libstdc++6:arm64 is not for
# the build: it tells dpkg-shlibdeps which package the C++ library of the
# arm64 .deb (make package) comes from.
before_install() {
  dpkg --print-foreign-architectures | grep -qx arm64 || dpkg --add-architecture arm64
}
needs "$triplet-g++=g++-$triplet" qemu-aarch64=qemu-user \
  "/usr/lib/$triplet/libtinfo.so=libncurses-dev:arm64" \
  "/usr/lib/$triplet/libstdc++.so.6=libstdc++6:arm64" \
  /usr/src/googletest/CMakeLists.txt=googletest tmux=tmux python3=python3

cross_build "$dir" "$toolchain" || exit 1

status=0
for program in "$dir"/bin/colorviewer "$dir"/bin/colorchart; do
  # The ELF header's machine field: 183 is EM_AARCH64.
  if [ "$(od -An -j18 -N2 -tu2 "$program" | tr -d ' ')" != 183 ]; then
    echo "FAIL: $program is not an arm64 program"
    status=1
  fi
done

# The toolchain file makes CTest run each test under qemu-aarch64. The
# terminal platform's tests fork the test process onto a pseudo-terminal, and
# a forked child hangs in qemu-aarch64 before it runs any of its code: those
# run natively only.
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" -E '^TerminalPlatform[.]' || status=1

# The end-to-end tests start $BUILD_DIR/bin/<program>: there, scripts that run
# the arm64 programs under qemu in the same process (exec keeps the pid).
runners="$PWD/$dir/qemu-run"
mkdir -p "$runners/bin"
for program in colorviewer colorchart; do
  printf '#!/bin/sh\nexec qemu-aarch64 -L /usr/%s %q "$@"\n' "$triplet" "$PWD/$dir/bin/$program" \
    >"$runners/bin/$program"
  chmod +x "$runners/bin/$program"
done
BUILD_DIR="$runners" python3 tests/e2e/run.py || status=1
exit "$status"
