"""Locales for the tests that run a program under one: the system's own when
it has it, else made once per run with localedef in a private directory."""

import atexit
import os
import shutil
import subprocess
import tempfile

_made = {}
_private_dir = None


def _charmap(name, locpath=None):
    """The character set a process gets under locale `name`, or None."""
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "LC_ALL": name}
    if locpath:
        env["LOCPATH"] = locpath
    try:
        result = subprocess.run(["locale", "charmap"], capture_output=True, text=True, env=env,
                                timeout=10)
    except (OSError, subprocess.TimeoutExpired):
        return None
    # An unknown locale falls back to C, with a warning on standard error.
    if result.returncode != 0 or result.stderr.strip():
        return None
    return result.stdout.strip()


def _make(name):
    """Makes `name` (language_TERRITORY.CHARSET) in the private directory."""
    global _private_dir
    if shutil.which("localedef") is None or "." not in name:
        return None
    if _private_dir is None:
        _private_dir = tempfile.mkdtemp(prefix="e2e-locales-")
        atexit.register(shutil.rmtree, _private_dir, True)
    source, charset = name.split(".", 1)
    result = subprocess.run(["localedef", "-i", source, "-f", charset,
                             os.path.join(_private_dir, name)],
                            capture_output=True, text=True, timeout=120)
    # localedef warns about some charmaps and still writes the locale.
    if _charmap(name, _private_dir) is None:
        return None
    return _private_dir


def locale_preface(name):
    """Shell words that put the program under locale `name`, or None when the
    locale is neither installed nor can be made here."""
    if name not in _made:
        if name in ("C", "POSIX") or _charmap(name) is not None:
            _made[name] = f"export LC_ALL={name} LANG={name}"
        else:
            locpath = _make(name)
            _made[name] = (None if locpath is None else
                           f"export LC_ALL={name} LANG={name} LOCPATH={locpath}")
    return _made[name]
