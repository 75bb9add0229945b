#!/usr/bin/env python3
"""Runs the end-to-end tests of the Windows programs under wine; exit 0 when
all pass. Needs tmux and wine, and the programs built in $WINDOWS_BUILD_DIR
(default build-windows)."""

import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
# Wine takes a moment to start a program, longer on a cold wine server.
os.environ.setdefault("E2E_WAIT_SECONDS", "30")
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "e2e"))
sys.path.insert(0, HERE)

import wine_session  # noqa: E402

suite = unittest.defaultTestLoader.discover(HERE, pattern="test_wine_*.py", top_level_dir=HERE)
result = unittest.TextTestRunner(verbosity=2).run(suite)
wine_session.LAUNCHERS.close()
sys.exit(0 if result.wasSuccessful() else 1)
