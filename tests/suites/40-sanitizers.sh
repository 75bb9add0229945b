#!/usr/bin/env bash
# The runtime, both programs and every native test suite built with
# AddressSanitizer and UndefinedBehaviorSanitizer; any report fails the run.
set -eu
# shellcheck source=tests/suite-lib.sh
. "$(dirname "$0")/../suite-lib.sh"
dir="${BUILD_DIR}-sanitize"
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
configure "$dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags"
need_unit_tests "$dir"
cmake --build "$dir"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
