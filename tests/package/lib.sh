# shellcheck shell=bash
# Shared by the package checks: failure counting, scratch folders, and the
# tools a check needs (installed with apt-get when running as root).
# Sourced from the top of the source tree; BUILD_DIR names the native build.

# BUILD_DIR (build unless set), and needs THING=PACKAGE...: the tools a
# check needs, installed as root.
. tests/suite-lib.sh
WINDOWS_BUILD_DIR="${WINDOWS_BUILD_DIR:-build-windows}"
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Ends the check: 1 when something failed, else 0.
finish() {
  if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s)"
    exit 1
  fi
  exit 0
}

skip() {
  echo "SKIP: $*"
  exit 77
}

# A scratch folder that is removed when the check ends.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/colorconsole-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# The programs this source tree builds: a program's folder holds its logic
# in .cpp files besides main.cpp once it is written.
expected_programs() {
  local folder program source
  for entry in viewer:colorviewer chart:colorchart; do
    folder=${entry%%:*}
    program=${entry#*:}
    for source in "$folder"/*.cpp; do
      if [ -f "$source" ] && [ "$(basename "$source")" != main.cpp ]; then
        echo "$program"
        break
      fi
    done
  done
}

# The value of one variable in a CMake cache.
cache_value() {
  sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt"
}

# The project's version as the top-level CMakeLists.txt declares it.
project_version() {
  sed -n 's/^project([a-z]* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt
}
