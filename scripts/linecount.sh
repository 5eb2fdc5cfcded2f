#!/usr/bin/env bash
# Code lines (no blank lines, no comment-only lines) of the program and of its tests,
# and the tests' share of all of them. The aim is at most one third.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
count() {
  local files
  files=$(find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' -o -name '*.rc' \
          -o -name 'CMakeLists.txt' -o -name '*.cmake' \) 2>/dev/null || true)
  [ -z "$files" ] && { echo 0; return; }
  # Block comments count as comments too (a line inside /* */ or opening one).
  echo "$files" | xargs cat | awk '
    { line = $0 }
    inblock { if (line ~ /\*\//) { inblock = 0; sub(/.*\*\//, "", line) } else next }
    line ~ /^[ \t]*\/\*/ && line !~ /\*\// { inblock = 1; next }
    line ~ /^[ \t]*$/ || line ~ /^[ \t]*\/\// || line ~ /^[ \t]*\/\*.*\*\/[ \t]*$/ { next }
    { n++ } END { print n + 0 }'
}
src=$(count src) plugins=$(count plugins) tools=$(count tools) tests=$(count tests fuzz)
all=$((src + plugins + tools + tests))
printf '%-16s %6d\n' "src/" "$src" "plugins/" "$plugins" "tools/" "$tools" "tests/ + fuzz/" "$tests"
awk -v t="$tests" -v a="$all" 'BEGIN { printf "tests share      %5.1f%% of %d code lines (aim: at most 33.3%%)\n", 100 * t / a, a }'
