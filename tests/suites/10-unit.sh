#!/usr/bin/env bash
# The native unit tests of the runtime, the platform layers and the programs.
set -eu
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)"
