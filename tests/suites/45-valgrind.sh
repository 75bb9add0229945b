#!/usr/bin/env bash
# valgrind memcheck over the native unit tests: no errors and no leaks.
set -eu
# shellcheck source=tests/suite-lib.sh
. "$(dirname "$0")/../suite-lib.sh"
need_unit_tests "$BUILD_DIR"
needs valgrind=valgrind
# valgrind holds x87 registers in double precision. The number reader computes
# in integer arithmetic and its tests compare its values field by field, so
# they run here too; only the check of its constants against the C library's
# strtold does not, as strtold returns its value in an x87 register.
# Stopping and continuing a process does not work under valgrind's own
# signal handling, so that one test runs natively only.
filter="-NumberTest.PowerConstantsAreCorrectlyRounded:TerminalPlatform.StopGivesTheTerminalBackAndContinueTakesItAgain"
status=0
for suite in runtime_tests program_tests terminal_tests; do
  binary="$BUILD_DIR/bin/$suite"
  [ -x "$binary" ] || continue
  echo "--- valgrind $suite"
  if ! valgrind --quiet --error-exitcode=99 --suppressions="$(dirname "$0")/../valgrind.supp" \
      --leak-check=full --show-leak-kinds=definite,indirect \
      --errors-for-leak-kinds=definite,indirect "$binary" --gtest_brief=1 --gtest_filter="$filter"; then
    status=1
  fi
done
exit $status
