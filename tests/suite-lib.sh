# shellcheck shell=bash
# Sourced at the top of every suite, and by the package checks. It goes to
# the top of the source tree, where the suites run, and exports BUILD_DIR,
# the native build, as build unless it is set; tests/run-suites sets it for
# all of them.
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
export BUILD_DIR="${BUILD_DIR:-build}"

# `needs THING=PACKAGE...` makes sure each THING is there: a command, a path,
# or a function of the suite that succeeds when what it stands for works (a
# compiler that links a kind of program, say). As root it installs the Debian
# packages of the missing ones (after running the function `before_install`,
# when the suite defines one); otherwise it ends the suite as skipped (status
# 77, which CI counts as failed) and says what is missing. A package brings
# its command or path; a function is asked again after the install, and one
# that still fails ends the suite as skipped.
needs() {
  local pair thing missing=()
  for pair in "$@"; do
    thing=${pair%%=*}
    if declare -F "$thing" >/dev/null; then
      "$thing"
    else
      [ -e "$thing" ] || command -v "$thing" >/dev/null 2>&1
    fi || missing+=("${pair#*=}")
  done
  [ "${#missing[@]}" -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null 2>&1; then
    echo "skipped: needs ${missing[*]} (as root this suite installs them itself)"
    exit 77
  fi
  echo "installing ${missing[*]}"
  if declare -F before_install >/dev/null; then
    before_install
  fi
  apt-get update -qq >/dev/null &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
      "${missing[@]}" >/dev/null || { echo "apt-get could not install ${missing[*]}"; exit 1; }
  for pair in "$@"; do
    thing=${pair%%=*}
    if declare -F "$thing" >/dev/null && ! "$thing"; then
      echo "skipped: $thing still fails with ${pair#*=} installed"
      exit 77
    fi
  done
}

# need_unit_tests DIR ends the suite as skipped (status 77, which CI counts
# as failed) when the build in DIR left the unit tests out, and says why.
need_unit_tests() {
  local cache="$1/CMakeCache.txt"
  if grep -q '^COLORCONSOLE_TESTS:BOOL=OFF$' "$cache" 2>/dev/null; then
    echo "skipped: $1 was configured with -DCOLORCONSOLE_TESTS=OFF and holds no unit tests"
    exit 77
  fi
  if grep -q '^COLORCONSOLE_GTEST_FOUND:INTERNAL=OFF$' "$cache" 2>/dev/null; then
    echo "skipped: GoogleTest is missing, so $1 holds no unit tests" \
      "(install libgtest-dev, then configure again: cmake -S . -B $1)"
    exit 77
  fi
}

# `configure DIR [OPTION...]` configures the build in DIR with the options,
# for Ninja when it is installed, else for make. The generator is named for a
# new build directory only: cmake keeps the one a directory was made with.
configure() {
  local dir=$1 generator=()
  shift
  [ -f "$dir/CMakeCache.txt" ] ||
    generator=(-G "$(command -v ninja >/dev/null && echo Ninja || echo "Unix Makefiles")")
  cmake -S . -B "$dir" "${generator[@]}" "$@" >/dev/null
}

# `cross_build DIR TOOLCHAIN` configures DIR for TOOLCHAIN and builds it, the
# unit tests switched on in any case (make windows and make package make such
# build directories for the programs alone).
cross_build() {
  configure "$1" -DCMAKE_TOOLCHAIN_FILE="$2" -DCOLORCONSOLE_TESTS=ON && cmake --build "$1"
}
