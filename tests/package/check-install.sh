#!/usr/bin/env bash
# Installs into a temporary DESTDIR in each of the ways a user installs from
# source, and checks that exactly the programs and their manual pages land
# under the right prefix, unchanged.
set -u
cd "$(dirname "$0")/../.." || exit 1
. tests/package/lib.sh

[ -f "$BUILD_DIR/CMakeCache.txt" ] || skip "no configured build in $BUILD_DIR"
configured_prefix=$(cache_value "$BUILD_DIR" CMAKE_INSTALL_PREFIX)
mapfile -t programs < <(expected_programs)

# name | how to install (DESTDIR is set for each) | prefix the files must land
# under, empty for the one the build was configured with
cases=(
  "cmake, configured prefix|cmake --install '$BUILD_DIR'|"
  "cmake --prefix|cmake --install '$BUILD_DIR' --prefix /opt/colorconsole|/opt/colorconsole"
  "make install PREFIX|make --no-print-directory install BUILD_DIR='$BUILD_DIR' PREFIX=/usr DESTDIR=\"\$DESTDIR\"|/usr"
  "make install, configured prefix|make --no-print-directory install BUILD_DIR='$BUILD_DIR' DESTDIR=\"\$DESTDIR\"|"
)

number=0
for case in "${cases[@]}"; do
  IFS='|' read -r name command prefix <<<"$case"
  prefix=${prefix:-$configured_prefix}
  number=$((number + 1))
  root="$scratch/root$number"
  failures_before=$failures
  mkdir -p "$root"
  if ! DESTDIR="$root" bash -c "$command" >"$scratch/log" 2>&1; then
    fail "$name: install failed:"
    cat "$scratch/log"
    continue
  fi

  expected=""
  for program in "${programs[@]}"; do
    expected+="$root$prefix/bin/$program"$'\n'
    expected+="$root$prefix/share/man/man1/$program.1.gz"$'\n'
  done
  found=$(find "$root" -type f -o -type l | sort)
  expected=$(printf '%s' "$expected" | sort)
  if [ "$found" != "$expected" ]; then
    fail "$name: installed files differ from the expected ones:"
    diff <(echo "$expected") <(echo "$found") | sed -n 's/^[<>]/  &/p'
  fi

  for program in "${programs[@]}"; do
    binary="$root$prefix/bin/$program"
    page="$root$prefix/share/man/man1/$program.1.gz"
    if [ ! -x "$binary" ]; then
      fail "$name: $binary is missing or not executable"
    elif ! cmp -s "$binary" "$BUILD_DIR/bin/$program"; then
      fail "$name: $binary differs from the built program"
    fi
    if [ -f "$page" ] && ! gzip -dc "$page" 2>/dev/null | cmp -s - "man/$program.1"; then
      fail "$name: $page is not the compressed man/$program.1"
    fi
  done
  [ "$failures" -eq "$failures_before" ] && echo "ok: $name (${#programs[@]} programs under $prefix)"
done

[ "${#programs[@]}" -gt 0 ] || echo "note: no program is written yet, only the empty install was checked"
finish
