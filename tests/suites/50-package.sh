#!/usr/bin/env bash
# Installing and packaging: an install into a temporary DESTDIR, the manual
# pages, then `make package` and the Debian package and Windows zip it built.
# The checks are the scripts in tests/package; this suite fails when one of
# them fails and skips when one cannot run here (a tool that is missing).
set -u
# shellcheck source=tests/suite-lib.sh
. "$(dirname "$0")/../suite-lib.sh"
export WINDOWS_BUILD_DIR="${WINDOWS_BUILD_DIR:-build-windows}"

failed=() skipped=()
run_check() {
  echo "--- $1"
  bash "tests/package/$1.sh"
  case $? in
    0) ;;
    77) skipped+=("$1") ;;
    *) failed+=("$1") ;;
  esac
}

run_check check-install
run_check check-manpages

# make package builds the Windows zip only when the cross compiler is there;
# get it first where we may (root), so the zip is built and checked too.
(needs x86_64-w64-mingw32-g++-posix=g++-mingw-w64-x86-64-posix) >/dev/null

# Packages from earlier runs must not pass for this one's.
rm -f "$BUILD_DIR"/packages/*.deb "$WINDOWS_BUILD_DIR"/packages/*.zip \
  "${ARM64_BUILD_DIR:-build-arm64}"/packages/*.deb build-{armhf,i386,s390x}/packages/*.deb
echo "--- make package"
log=$(mktemp)
if make --no-print-directory package BUILD_DIR="$BUILD_DIR" WINDOWS_BUILD_DIR="$WINDOWS_BUILD_DIR" >"$log" 2>&1; then
  grep '^package:' "$log"
else
  tail -40 "$log"
  failed+=("make package")
fi
rm -f "$log"

run_check check-deb
# The package of each CPU whose cross compiler is here (make package built it).
for cpu in arm64:aarch64-linux-gnu armhf:arm-linux-gnueabihf i386:i686-linux-gnu \
  s390x:s390x-linux-gnu; do
  command -v "${cpu#*:}-g++" >/dev/null || continue
  echo "--- check-deb (${cpu%%:*})"
  DEB_ARCH=${cpu%%:*} bash tests/package/check-deb.sh
  case $? in
    0) ;;
    77) skipped+=("check-deb (${cpu%%:*})") ;;
    *) failed+=("check-deb (${cpu%%:*})") ;;
  esac
done
run_check check-zip

[ "${#skipped[@]}" -gt 0 ] && echo "package checks skipped: ${skipped[*]}"
if [ "${#failed[@]}" -gt 0 ]; then
  echo "package checks failed: ${failed[*]}"
  exit 1
fi
[ "${#skipped[@]}" -eq 0 ] || exit 77
exit 0
