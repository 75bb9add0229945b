#!/usr/bin/env bash
# The Debian package that `make package` built: its control fields, its
# contents, its dependencies against what the programs really load, and the
# programs unpacked from it into a scratch root. DEB_ARCH=arm64 (or armhf,
# i386, s390x) checks that CPU's package of its cross build in build-<arch>
# instead, its programs run under qemu.
set -u
cd "$(dirname "$0")/../.." || exit 1
. tests/package/lib.sh

needs dpkg-deb=dpkg readelf=binutils file=file setsid=util-linux tmux=tmux

version=$(project_version)
arch=${DEB_ARCH:-$(dpkg --print-architecture)}
mapfile -t programs < <(expected_programs)
# How a packaged program is started, and where its libraries are found.
launcher=""
packages_dir="$BUILD_DIR/packages"
if [ "$arch" != "$(dpkg --print-architecture)" ]; then
  # The cross compiler's triplet, the multiarch folder and qemu's program.
  case $arch in
    arm64) triplet=aarch64-linux-gnu multiarch=aarch64-linux-gnu qemu=qemu-aarch64 ;;
    armhf) triplet=arm-linux-gnueabihf multiarch=arm-linux-gnueabihf qemu=qemu-arm ;;
    i386) triplet=i686-linux-gnu multiarch=i386-linux-gnu qemu=qemu-i386 ;;
    s390x) triplet=s390x-linux-gnu multiarch=s390x-linux-gnu qemu=qemu-s390x ;;
    *) skip "no way to run $arch programs here" ;;
  esac
  needs "$qemu=qemu-user"
  # The loader of the cross toolchain's folder, with that folder's C library
  # (the multiarch one can be of another build, which the loader rejects).
  launcher="$qemu -L /usr/$triplet -E LD_LIBRARY_PATH=/usr/$triplet/lib"
  packages_dir="build-$arch/packages"
  [ "$arch" != arm64 ] || packages_dir="${ARM64_BUILD_DIR:-build-arm64}/packages"
fi

shopt -s nullglob
debs=("$packages_dir"/*.deb)
shopt -u nullglob
[ "${#debs[@]}" -eq 1 ] || {
  fail "expected one .deb in $packages_dir, found ${#debs[@]}: ${debs[*]}"
  finish
}
deb=${debs[0]}
[ "$(basename "$deb")" = "colorconsole_${version}-1_${arch}.deb" ] ||
  fail "$deb: not named colorconsole_${version}-1_${arch}.deb"

# Control fields: field | pattern (extended regular expression) its value must match
fields=(
  "Package|^colorconsole$"
  "Version|^${version//./\\.}-1$"
  "Architecture|^${arch}$"
  "Section|^utils$"
  "Maintainer|^[^<>]+ <[^<>@ ]+@[^<> ]+>$"
  "Depends|(^|, )libtinfo[0-9]+( |,|$)"
  "Depends|(^|, )libc6( |,|$)"
  "Description|^[a-z].{9,79}"$'\n'" [^ ]"
)
for entry in "${fields[@]}"; do
  field=${entry%%|*}
  pattern=${entry#*|}
  value=$(dpkg-deb -f "$deb" "$field")
  [[ "$value" =~ $pattern ]] || fail "control field $field is '$value', which does not match /$pattern/"
done
depends=$(dpkg-deb -f "$deb" Depends)

# Contents: exactly the programs and their pages, owned by root.
expected=""
for program in "${programs[@]}"; do
  expected+="./usr/bin/$program"$'\n'"./usr/share/man/man1/$program.1.gz"$'\n'
done
listing=$(dpkg-deb -c "$deb")
found=$(awk '$1 !~ /^d/ {print $6}' <<<"$listing" | sort)
expected=$(printf '%s' "$expected" | sort)
[ "$found" = "$expected" ] || fail "package contents differ:"$'\n'"$(diff <(echo "$expected") <(echo "$found"))"
strangers=$(awk '$2 != "root/root" {print $6 " (" $2 ")"}' <<<"$listing")
[ -z "$strangers" ] || fail "entries not owned by root: $strangers"

# The package as a Debian system sees it: every dependency can be satisfied
# (for a foreign architecture, once dpkg knows that architecture).
if command -v apt-get >/dev/null 2>&1 && { [ -z "$launcher" ] ||
  dpkg --print-foreign-architectures | grep -qx "$arch"; }; then
  if ! apt-get install --simulate "$(realpath "$deb")" >"$scratch/apt.log" 2>&1; then
    fail "apt-get cannot satisfy the package's dependencies:"$'\n'"$(tail -5 "$scratch/apt.log")"
  fi
fi

root="$scratch/root"
dpkg -x "$deb" "$root" || fail "dpkg -x could not unpack $deb"

# The package of the file at PATH, trying the path as given and through the
# merged /usr, since either may be the one the package lists.
owner_of() {
  local candidate
  for candidate in "$1" "$(realpath "$1")" "/usr$1" "${1#/usr}"; do
    dpkg -S "$candidate" 2>/dev/null | sed -n '1s/:.*//p' | grep . && return 0
  done
  return 1
}

# The libraries BINARY loads, as ldd prints them ("name => path"); for a
# foreign architecture, the libraries it names, found in their multiarch
# folders.
loaded_libraries() {
  if [ -z "$launcher" ]; then
    ldd "$1" 2>&1
    return
  fi
  local name path
  for name in $(readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    path="not found"
    for folder in "/usr/lib/$multiarch" "/lib/$multiarch"; do
      [ -e "$folder/$name" ] && path=$folder/$name && break
    done
    echo "$name => $path"
  done
}

# drive BINARY STEP...: runs BINARY on an 80x25 terminal of a private tmux
# server; each STEP is "text=>keys": wait until the text is on the screen,
# then send the keys (tmux key names). Prints the exit status, or what went
# wrong.
drive() {
  local binary=$1 socket="colorconsole-package-$$" step text keys tries status
  shift
  rm -f "$scratch/status"
  tmux -L "$socket" -f /dev/null new-session -d -x 80 -y 25 \
    "env LC_ALL=C.UTF-8 TERM=screen $launcher '$binary'; echo \$? >'$scratch/status'; sleep 60"
  for step in "$@"; do
    text=${step%%=>*}
    keys=${step#*=>}
    tries=0
    until tmux -L "$socket" capture-pane -p 2>/dev/null | grep -qF -- "$text"; do
      tries=$((tries + 1))
      if [ "$tries" -gt 100 ]; then
        echo "never showed '$text'; the screen was:"
        tmux -L "$socket" capture-pane -p | sed '/^$/d'
        tmux -L "$socket" kill-server 2>/dev/null
        return
      fi
      sleep 0.1
    done
    # shellcheck disable=SC2086 # the keys are separate tmux key names
    tmux -L "$socket" send-keys $keys
  done
  tries=0
  until [ -s "$scratch/status" ] || [ "$tries" -gt 100 ]; do
    tries=$((tries + 1))
    sleep 0.1
  done
  status=$(cat "$scratch/status" 2>/dev/null)
  tmux -L "$socket" kill-server 2>/dev/null
  echo "${status:-did not end after its last key}"
}

# What each program is given on a terminal: steps for drive, ending on the
# key that ends it with exit status 0.
declare -A sessions=(
  [colorchart]="Any key to close.=>x"
  [colorviewer]="Foreground color's value:=>1 4 Enter|Background color's value:=>1 Enter|Test Fore on Back=>Escape"
)

for program in "${programs[@]}"; do
  binary="$root/usr/bin/$program"
  page="$root/usr/share/man/man1/$program.1.gz"
  if [ ! -x "$binary" ]; then
    fail "$program: not unpacked as an executable file"
    continue
  fi
  gzip -t "$page" 2>/dev/null || fail "$program: no valid compressed manual page"
  description=$(file -b "$binary")
  case "$description" in
    *", stripped"*) ;;
    *) fail "$program: the packaged binary is not stripped" ;;
  esac
  case "$arch" in
    amd64) machine="x86-64" ;;
    arm64) machine="ARM aarch64" ;;
    armhf) machine="ARM, EABI5" ;;
    i386) machine="Intel 80386" ;;
    s390x) machine="IBM S/390" ;;
    *) machine="" ;;
  esac
  [[ "$description" == *"$machine"* ]] || fail "$program: not an $arch program: $description"
  if readelf -d "$binary" | grep -Eq '\((RPATH|RUNPATH)\)'; then
    fail "$program: the packaged binary carries a library search path"
  fi

  # Each library the program loads comes from a package that it depends on.
  libraries=$(loaded_libraries "$binary")
  if grep -q 'not found' <<<"$libraries"; then
    fail "$program: libraries not found:"$'\n'"$libraries"
  fi
  if grep -Eq 'libstdc\+\+|libgcc_s' <<<"$libraries"; then
    fail "$program: loads the C++ runtime, which it should carry linked in"
  fi
  for library in $(awk '$2 == "=>" && $3 ~ /^\// {print $3}' <<<"$libraries"); do
    package=$(owner_of "$library") || {
      fail "$program: no package owns $library"
      continue
    }
    [[ "$depends" =~ (^|, )"$package"( |,|$) ]] ||
      fail "$program: loads $library from $package, which Depends ($depends) does not name"
  done

  # Started without a terminal the program draws nothing: it says so in one
  # line on standard error and ends with 255.
  setsid -w $launcher "$binary" </dev/null >"$scratch/out" 2>"$scratch/err"
  status=$?
  lines=$(wc -l <"$scratch/err")
  if [ "$status" -ne 255 ] || [ "$lines" -ne 1 ] || [ -s "$scratch/out" ]; then
    fail "$program without a terminal: exit $status, $lines line(s) on standard error," \
      "$(wc -c <"$scratch/out") bytes on standard output (want 255, 1, 0):"$'\n'"$(head -5 "$scratch/err")"
  fi

  # On a terminal it runs its screens and ends normally.
  IFS='|' read -r -a steps <<<"${sessions[$program]}"
  outcome=$(drive "$binary" "${steps[@]}")
  [ "$outcome" = 0 ] || fail "$program on a terminal: $outcome"
  echo "checked $program"
done

[ "$failures" -eq 0 ] && echo "ok: $(basename "$deb")"
finish
