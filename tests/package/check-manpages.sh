#!/usr/bin/env bash
# The manual pages: every program has one, groff and man find nothing to warn
# about, whatis can read the NAME line, the page fits an 80-column terminal,
# it has the sections a user looks for, and it carries the project's version.
set -u
cd "$(dirname "$0")/../.." || exit 1
. tests/package/lib.sh

needs groff=groff-base man=man-db lexgrog=man-db

version=$(project_version)
sections=(NAME SYNOPSIS DESCRIPTION KEYS "EXIT STATUS" "INPUT AND OUTPUT" "TERMINAL REQUIREMENTS")

# Every program has a page; pages for programs the tree does not build yet
# are checked all the same.
pages=()
for program in $(expected_programs); do
  [ -f "man/$program.1" ] || fail "man/$program.1 is missing"
done
for page in man/*.1; do
  [ -f "$page" ] && pages+=("$page")
done
[ "${#pages[@]}" -gt 0 ] || skip "no manual page in man/ yet"

for page in "${pages[@]}"; do
  name=$(basename "$page" .1)
  failures_before=$failures

  if ! warnings=$(groff -ww -man -Tutf8 -z "$page" 2>&1) || [ -n "$warnings" ]; then
    fail "$page: groff -ww warns:"$'\n'"$warnings"
  fi
  if ! warnings=$(LC_ALL=C.UTF-8 MANPAGER=cat man --warnings -l "$page" 2>&1 >/dev/null) ||
    [ -n "$warnings" ]; then
    fail "$page: man --warnings warns:"$'\n'"$warnings"
  fi

  whatis=$(lexgrog "$page" 2>&1)
  case "$whatis" in
    *": \"$name - "?*) ;;
    *) fail "$page: whatis cannot read a NAME line for $name: $whatis" ;;
  esac

  widest=$(LC_ALL=C.UTF-8 MANWIDTH=80 MANPAGER=cat man -l "$page" 2>/dev/null | col -b | wc -L)
  if [ "$widest" -gt 80 ]; then
    fail "$page: a line of the formatted page is $widest columns wide, more than 80"
  fi

  for section in "${sections[@]}"; do
    grep -Eq "^\.SH \"?$section\"?\$" "$page" || fail "$page: no $section section"
  done

  title=$(grep -m1 '^\.TH' "$page")
  case "$title" in
    *"$version"*) ;;
    *) fail "$page: the title line '$title' does not name version $version" ;;
  esac

  [ "$failures" -eq "$failures_before" ] && echo "ok: $page"
done
finish
