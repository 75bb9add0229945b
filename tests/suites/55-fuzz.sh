#!/usr/bin/env bash
# The libFuzzer targets under fuzz/, built with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, each run for a bounded time (FUZZ_SECONDS, 30 by
# default) from its seed corpus in fuzz/corpus/<target>. A crash, a leak, a
# hang or a broken invariant fails the suite; the input that caused it is
# kept as <build>-fuzz/crashes/<target>-*.
set -u
# shellcheck source=tests/suite-lib.sh
. "$(dirname "$0")/../suite-lib.sh"
dir="${BUILD_DIR}-fuzz"
seconds="${FUZZ_SECONDS:-30}"

# Whether clang can link a libFuzzer target here; needs asks it.
# shellcheck disable=SC2317
fuzzer_works() {
  local probe
  probe=$(mktemp -d)
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' \
    >"$probe/probe.cpp"
  clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null
  local status=$?
  rm -rf "$probe"
  return "$status"
}

# The libFuzzer runtime comes with the package of clang's own version.
needs clang++=clang
major=$(clang++ --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n1)
needs "fuzzer_works=libclang-rt-$major-dev"

configure "$dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCOLORCONSOLE_FUZZ=ON -DCOLORCONSOLE_TESTS=OFF || exit 1
cmake --build "$dir" --target fuzz || exit 1
# The targets the build configured, which fuzz/CMakeLists.txt lists there.
mapfile -t targets <"$dir/fuzz/targets" || exit 1

mkdir -p "$dir/crashes"
status=0
for target in "${targets[@]}"; do
  # New inputs go to a working corpus in the build; the seeds stay as they are.
  work="$dir/corpus/$target"
  log="$dir/fuzz-$target.log"
  mkdir -p "$work"
  echo "--- fuzz_$target for ${seconds}s"
  if "$dir/bin/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 \
      -print_final_stats=1 -artifact_prefix="$dir/crashes/$target-" \
      "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
    grep -E '^stat::number_of_executed_units' "$log" | sed 's/^stat::/    /'
  else
    echo "fuzz_$target failed; the end of its log ($log):"
    tail -n 60 "$log"
    status=1
  fi
done
exit $status
