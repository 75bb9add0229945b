# Sourced by the suites: `needs THING=PACKAGE...` makes sure each THING (a
# command or a path) is there. As root it installs the Debian packages of the
# missing ones (after running the function `before_install`, when the suite
# defines one); otherwise it ends the suite as skipped (status 77, which CI
# counts as failed) and says what is missing.
needs() {
  local pair thing missing=()
  for pair in "$@"; do
    thing=${pair%%=*}
    [ -e "$thing" ] || command -v "$thing" >/dev/null 2>&1 || missing+=("${pair#*=}")
  done
  [ "${#missing[@]}" -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null 2>&1; then
    echo "skipped: needs ${missing[*]} (as root this suite installs them itself)"
    exit 77
  fi
  echo "installing ${missing[*]}"
  if declare -F before_install >/dev/null; then
    before_install
  fi
  apt-get update -qq >/dev/null &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
      "${missing[@]}" >/dev/null || { echo "apt-get could not install ${missing[*]}"; exit 1; }
}
