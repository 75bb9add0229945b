#!/usr/bin/env bash
# Both programs on a pseudo-terminal whose other side the test plays: a
# terminal that stops reading, answers the cursor request late or in pieces,
# pastes megabytes, sends strings, resizes twice between two looks; signals
# sent or blocked at start.
set -u
# shellcheck source=tests/suite-lib.sh
. "$(dirname "$0")/../suite-lib.sh"

needs python3=python3
for program in colorviewer colorchart; do
  if [ ! -x "$BUILD_DIR/bin/$program" ]; then
    echo "skipped: $BUILD_DIR/bin/$program is not built"
    exit 77
  fi
done
exec python3 -B -m unittest discover -v -s tests/pty -p 'test_*.py'
