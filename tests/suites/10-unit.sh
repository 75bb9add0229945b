#!/usr/bin/env bash
# The native unit tests of the runtime, the platform layers and the programs.
set -eu
. "$(dirname "$0")/../need-unit-tests.sh"
need_unit_tests "$BUILD_DIR"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)"
