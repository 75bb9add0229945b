#!/usr/bin/env bash
# End-to-end tests: both programs in tmux, a real terminal emulator, with
# keys sent to a pane and the screen read back cell by cell.
set -u
# shellcheck source=tests/suite-lib.sh
. "$(dirname "$0")/../suite-lib.sh"

needs tmux=tmux python3=python3 stty=coreutils
for program in colorviewer colorchart; do
  if [ ! -x "$BUILD_DIR/bin/$program" ]; then
    echo "skipped: $BUILD_DIR/bin/$program is not built"
    exit 77
  fi
done
exec python3 tests/e2e/run.py
