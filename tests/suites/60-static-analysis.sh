#!/usr/bin/env bash
# Static analysis: clang-tidy with the repository's .clang-tidy, and cppcheck,
# over the runtime, both programs, the fuzz targets and the terminal screen
# model they share with the unit tests. Any warning fails the suite. The unit
# tests are left out: GoogleTest's macros set off checks that say nothing
# about the tests' own code, and the tests already run under the compiler's
# warnings, the sanitizers and valgrind.
set -u
# shellcheck source=tests/suite-lib.sh
. "$(dirname "$0")/../suite-lib.sh"
dir="${BUILD_DIR}-tidy"
root=$(pwd)
sources='runtime viewer chart fuzz tests/terminal/screen_model.cpp'
jobs="${JOBS:-$(nproc)}"

needs clang-tidy=clang-tidy cppcheck=cppcheck

# The compile commands come from a configured build; clang's own, when there
# is one, so that the fuzz targets are in it too.
options=(-DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DCOLORCONSOLE_TESTS=OFF)
if command -v clang++ >/dev/null; then
  options+=(-DCMAKE_CXX_COMPILER=clang++ -DCOLORCONSOLE_FUZZ=ON)
fi
configure "$dir" "${options[@]}" || exit 1

report="$dir/static-analysis"
rm -rf "$report"
mkdir -p "$report/tidy"
status=0

echo "--- clang-tidy"
pattern="^$root/($(echo "$sources" | tr ' ' '|'))(/|$)"
python3 - "$dir/compile_commands.json" "$pattern" >"$report/files" <<'PY'
import json, re, sys
pattern = re.compile(sys.argv[2])
entries = json.load(open(sys.argv[1]))
print("\n".join(sorted({e["file"] for e in entries if pattern.search(e["file"])})))
PY
# One report per source file; a header's warnings appear once per file that
# includes it and are counted once.
export dir report
xargs -P "$jobs" -I{} sh -c \
  'clang-tidy -p "$dir" --quiet --use-color=false "$1" >"$report/tidy/$(echo "$1" | tr / _)" 2>&1; true' \
  sh {} <"$report/files"
cat "$report"/tidy/* | grep -E '^/.*: (warning|error): ' | sort -u >"$report/tidy-warnings"
if [ -s "$report/tidy-warnings" ]; then
  sed "s|^$root/||" "$report/tidy-warnings"
  echo "clang-tidy: $(wc -l <"$report/tidy-warnings") warnings (details under $report/tidy)"
  status=1
fi

echo "--- cppcheck"
# cppcheck 2.10 cannot parse an immediately invoked constexpr lambda
# (chart/colorchart.cpp) and cannot hold 1E512L and larger extended-precision
# literals (runtime/number.cpp); clang-tidy covers those two files.
if ! cppcheck --enable=warning,performance,portability --error-exitcode=1 --std=c++20 \
    --language=c++ --inline-suppr --quiet -I . -j "$jobs" \
    --suppress=missingIncludeSystem \
    --suppress=syntaxError:chart/colorchart.cpp \
    --suppress=cppcheckError:runtime/number.cpp \
    --template='{file}:{line}: {severity}: {message} [{id}]' $sources; then
  status=1
fi
exit $status
