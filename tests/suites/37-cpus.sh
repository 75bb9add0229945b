#!/usr/bin/env bash
# Other CPUs and another standard library:
# - armhf (32-bit ARM: a 64-bit long double), i386 (32-bit x86: an x87 unit,
#   a 32-bit time_t unless asked for 64) and s390x (big-endian, binary128
#   long double), each cross-compiled with Debian's g++-<triplet> against the
#   CPU's multiarch terminfo library; its unit tests run under qemu through
#   CTest, then both programs' end-to-end tests run under qemu in tmux;
# - a native build with clang and libc++, and its unit tests.
# CPUS chooses a part of them, e.g. CPUS="s390x libcxx".
set -u
# shellcheck source=tests/suite-lib.sh
. "$(dirname "$0")/../suite-lib.sh"
cpus=(${CPUS:-armhf i386 s390x libcxx})

# Debian architecture, compiler triplet, multiarch folder, qemu program, the
# ELF header's machine field (bytes 18 and 19, in the CPU's byte order) and
# the byte order.
declare -A triplet=([armhf]=arm-linux-gnueabihf [i386]=i686-linux-gnu [s390x]=s390x-linux-gnu)
declare -A multiarch=([armhf]=arm-linux-gnueabihf [i386]=i386-linux-gnu [s390x]=s390x-linux-gnu)
declare -A qemu=([armhf]=qemu-arm [i386]=qemu-i386 [s390x]=qemu-s390x)
declare -A machine=([armhf]="28 00" [i386]="03 00" [s390x]="00 16")
declare -A big_endian=([armhf]=0 [i386]=0 [s390x]=1)

# What the suite needs, and the Debian package that brings it. The terminfo
# library comes from Debian's multiarch packages; libstdc++6:<arch> is not for
# the build: it tells dpkg-shlibdeps which package the C++ library of the
# .deb (make package) comes from. For s390x only the run-time terminfo
# library: Debian's security archive carries no s390x, so its linux-libc-dev
# (which libncurses-dev:s390x needs) lags the host's and cannot be installed
# beside it; the host's ncurses headers serve every CPU.
wanted=() foreign=()
for cpu in "${cpus[@]}"; do
  if [ "$cpu" = libcxx ]; then
    wanted+=(clang++=clang /usr/lib/llvm-14/include/c++/v1/version=libc++-dev
      /usr/lib/llvm-14/lib/libc++abi.a=libc++abi-dev /usr/src/googletest/CMakeLists.txt=googletest)
    continue
  fi
  t=${triplet[$cpu]} m=${multiarch[$cpu]}
  foreign+=("$cpu")
  wanted+=("$t-g++=g++-$t" "${qemu[$cpu]}=qemu-user" "/usr/lib/$m/libstdc++.so.6=libstdc++6:$cpu")
  if [ "$cpu" = s390x ]; then
    wanted+=("/usr/lib/$m/libtinfo.so.6=libtinfo6:$cpu" /usr/include/term.h=libncurses-dev)
  else
    wanted+=("/usr/lib/$m/libtinfo.so=libncurses-dev:$cpu")
  fi
done
[ "${#foreign[@]}" -gt 0 ] && wanted+=(/usr/src/googletest/CMakeLists.txt=googletest tmux=tmux
  python3=python3 localedef=libc-bin /usr/share/i18n/charmaps/UTF-8.gz=locales)
before_install() {
  local arch
  for arch in "${foreign[@]}"; do
    dpkg --print-foreign-architectures | grep -qx "$arch" || dpkg --add-architecture "$arch"
  done
}
needs "${wanted[@]}"

status=0
# Wall time of each part, for the summary at the end.
declare -A seconds=()

# The unit tests and both programs' end-to-end tests of one CPU under qemu.
run_cpu() {
  local cpu=$1 dir=build-$1 t=${triplet[$1]} ok=0
  cross_build "$dir" "cmake/toolchains/$t.cmake" || return 1
  for program in "$dir"/bin/colorviewer "$dir"/bin/colorchart; do
    if [ "$(od -An -j18 -N2 -tx1 "$program" | xargs)" != "${machine[$cpu]}" ]; then
      echo "FAIL: $program is not a $cpu program"
      ok=1
    fi
  done
  # Locale files are in the byte order of the C library that reads them: a
  # big-endian CPU gets its own C.UTF-8 (LOCPATH), the others share the host's.
  local guest_env=(-E "LD_LIBRARY_PATH=/usr/$t/lib")
  if [ "${big_endian[$cpu]}" = 1 ]; then
    mkdir -p "$dir/locale"
    localedef --big-endian -i C -f UTF-8 "$dir/locale/C.UTF-8" 2>/dev/null
    [ -d "$dir/locale/C.UTF-8" ] || { echo "FAIL: no big-endian C.UTF-8"; return 1; }
    export LOCPATH="$PWD/$dir/locale"
    guest_env+=(-E "LOCPATH=$LOCPATH")
  fi
  # The toolchain file makes CTest run each test under qemu; unlike
  # qemu-aarch64, these run the terminal platform's tests that fork onto a
  # pseudo-terminal, so every test runs.
  ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" --timeout 60 || ok=1
  # The end-to-end tests start $BUILD_DIR/bin/<program>: there, scripts that
  # run the CPU's programs under qemu in the same process (exec keeps the pid).
  local runners="$PWD/$dir/qemu-run"
  mkdir -p "$runners/bin"
  for program in colorviewer colorchart; do
    printf '#!/bin/sh\nexec %s -L /usr/%s %s %q "$@"\n' "${qemu[$cpu]}" "$t" "${guest_env[*]@Q}" \
      "$PWD/$dir/bin/$program" >"$runners/bin/$program"
    chmod +x "$runners/bin/$program"
  done
  BUILD_DIR="$runners" python3 tests/e2e/run.py || ok=1
  unset LOCPATH
  return "$ok"
}

# A native build with clang and libc++ (GoogleTest built from its sources
# against libc++), and its unit tests.
run_libcxx() {
  local dir=build-libcxx
  CXX=clang++ configure "$dir" -DCMAKE_CXX_FLAGS=-stdlib=libc++ -DCOLORCONSOLE_TESTS=ON &&
    cmake --build "$dir" || return 1
  ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
}

for cpu in "${cpus[@]}"; do
  echo "--- $cpu"
  start=$SECONDS
  if [ "$cpu" = libcxx ]; then
    run_libcxx || status=1
  else
    run_cpu "$cpu" || status=1
  fi
  seconds[$cpu]=$((SECONDS - start))
done
for cpu in "${cpus[@]}"; do
  echo "--- $cpu: ${seconds[$cpu]} s"
done
exit "$status"
