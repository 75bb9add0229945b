#!/usr/bin/env bash
# The native unit tests of the runtime, the platform layers and the programs.
set -eu
# shellcheck source=tests/suite-lib.sh
. "$(dirname "$0")/../suite-lib.sh"
need_unit_tests "$BUILD_DIR"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)"
