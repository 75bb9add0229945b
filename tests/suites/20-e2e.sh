#!/usr/bin/env bash
# End-to-end tests: both programs in tmux, a real terminal emulator, with
# keys sent to a pane and the screen read back cell by cell.
set -u
cd "$(dirname "$0")/../.."
export BUILD_DIR="${BUILD_DIR:-build}"

if ! command -v tmux >/dev/null 2>&1 && [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null; then
  echo "installing tmux"
  apt-get update -qq >/dev/null && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq tmux >/dev/null
fi
for tool in tmux python3 stty; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is not installed (as root this suite installs tmux itself)"
    exit 77
  fi
done
for program in colorviewer colorchart; do
  if [ ! -x "$BUILD_DIR/bin/$program" ]; then
    echo "skipped: $BUILD_DIR/bin/$program is not built"
    exit 77
  fi
done
exec python3 tests/e2e/run.py
