#!/usr/bin/env bash
# valgrind memcheck over the native unit tests: no errors and no leaks.
set -eu
# shellcheck source=tests/suite-lib.sh
. "$(dirname "$0")/../suite-lib.sh"
need_unit_tests "$BUILD_DIR"
needs valgrind=valgrind python3=python3

# The tests that run natively only, and why. valgrind holds x87 registers in
# double precision; the number reader computes in integer arithmetic and its
# tests compare its values field by field, so they run here too, but for one.
declare -A native_only=(
  [NumberTest.PowerConstantsAreCorrectlyRounded]="it checks the reader's constants against the C library's strtold, which returns its value in an x87 register"
  [TerminalPlatform.StopGivesTheTerminalBackAndContinueTakesItAgain]="stopping and continuing a process does not work under valgrind's own signal handling"
)
for test in "${!native_only[@]}"; do
  echo "natively only: $test: ${native_only[$test]}"
done
filter="-$(IFS=:; echo "${!native_only[*]}")"

# Every test program the build registered with CTest, in CTest's order.
programs=$(ctest --test-dir "$BUILD_DIR" --show-only=json-v1 | python3 -c '
import json, sys
tests = json.load(sys.stdin)["tests"]
print("\n".join(dict.fromkeys(test["command"][0] for test in tests)))')
[ -n "$programs" ] || { echo "FAIL: CTest lists no tests in $BUILD_DIR"; exit 1; }

status=0
while IFS= read -r binary; do
  echo "--- valgrind $(basename "$binary")"
  if ! valgrind --quiet --error-exitcode=99 --suppressions=tests/valgrind.supp \
      --leak-check=full --show-leak-kinds=definite,indirect \
      --errors-for-leak-kinds=definite,indirect "$binary" --gtest_brief=1 --gtest_filter="$filter"; then
    status=1
  fi
done <<<"$programs"
exit $status
