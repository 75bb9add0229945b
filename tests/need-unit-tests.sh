# Sourced by the suites that run the unit tests: need_unit_tests DIR ends the
# suite as skipped (status 77, which CI counts as failed) when the build in
# DIR left the unit tests out, and says why.
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
