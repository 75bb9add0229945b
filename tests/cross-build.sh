# Sourced by the suites of the cross builds: `cross_build DIR TOOLCHAIN`
# configures DIR for TOOLCHAIN and builds it, the unit tests switched on in
# any case (make windows and make package make such build directories for
# the programs alone).
cross_build() {
  local generator=()
  [ -f "$1/CMakeCache.txt" ] ||
    generator=(-G "$(command -v ninja >/dev/null && echo Ninja || echo "Unix Makefiles")")
  cmake -S . -B "$1" "${generator[@]}" -DCMAKE_TOOLCHAIN_FILE="$2" -DCOLORCONSOLE_TESTS=ON \
    >/dev/null && cmake --build "$1"
}
