#!/usr/bin/env bash
# The house rules a compiler does not check, run by ctest:
#  1. layers: a folder of src/ includes only itself and the layers below it
#       platform <- engine <- effects settings safety <- document formats pixcode
#       <- panels devices installer <- app (the command layer wires their windows)
#       and batch (the command-line program) beside app, neither including the other
#  2. portable files (not *_win32.*) include no Windows header;
#  3. every header compiles alone (portable ones with the host compiler; with a second
#     compiler argument, the *_win32.h headers with that one);
#  4. no circle of modules, inside a folder or across: a module is a file name without
#     its extension and a _win32 / _native ending, and it uses another when one of its
#     .cpp files includes the other's header.
# Usage: check_layers.sh SRC_DIR HOST_CXX [WIN_CXX]
set -uo pipefail
src=$1 cxx=$2 wincxx=${3:-}
fail=0

rank() {
  case $1 in
    platform) echo 0 ;; engine) echo 1 ;; effects|settings|safety) echo 2 ;;
    document|formats|pixcode) echo 3 ;; panels|devices|installer) echo 4 ;; app|batch) echo 5 ;; *) echo 9 ;;
  esac
}

for dir in "$src"/*/; do
  from=$(basename "$dir")
  rf=$(rank "$from")
  while IFS=: read -r file _ target; do
    to=${target#*\"}; to=${to%%/*}
    [ "$to" = "$from" ] && continue
    if [ "$(rank "$to")" -ge "$rf" ]; then
      echo "layer: ${file#$src/} includes $to/ (same or higher layer than $from/)"; fail=1
    fi
  done < <(grep -nE '^\s*#\s*include\s+"[a-z]+/' "$dir"*.h "$dir"*.cpp 2>/dev/null)
done

win_headers='windows|commdlg|shellapi|shlobj|objbase|objidl|ole2|olectl|oleauto|ocidl|winuser|wingdi|winbase|mmsystem|commctrl|dlgs|wincodec|twain'
while IFS= read -r hit; do
  echo "portable file includes a Windows header: ${hit#$src/}"; fail=1
done < <(grep -nE "^\s*#\s*include\s+<($win_headers)\.h>" -r "$src" --include=*.h --include=*.cpp |
         grep -vE '_win32\.(h|cpp):')

compile_alone() {  # compiler header
  local out
  out=$(echo "#include \"$2\"" | "$1" -std=c++17 -fsyntax-only -I"$src" -x c++ - 2>&1) ||
    { echo "header does not compile alone: ${2#$src/}"; echo "$out" | head -5; return 1; }
}
export -f compile_alone
export src
find "$src" -name '*.h' ! -name '*_win32.h' | sort |
  xargs -P 2 -I{} bash -c 'compile_alone "$0" "$1"' "$cxx" {} || fail=1
if [ -n "$wincxx" ]; then
  find "$src" -name '*_win32.h' | sort |
    xargs -P 2 -I{} bash -c 'compile_alone "$0" "$1"' "$wincxx" {} || fail=1
fi

module_of() { local f=${1#$src/}; f=${f%.*}; f=${f%_win32}; echo "${f%_native}"; }
uses=$(while IFS=: read -r file _ target; do
         to=${target#*\"}; to=${to%\"*}
         a=$(module_of "$file"); b=$(module_of "$src/$to")
         [ "$a" != "$b" ] && echo "$a $b"
       done < <(grep -nE '^\s*#\s*include\s+"[a-z]+/[^"]+"' -r "$src" --include=*.cpp) | sort -u)
if ! circle=$(echo "$uses" | tsort 2>&1 >/dev/null) || [ -n "$circle" ]; then
  echo "modules that use each other in a circle:"; echo "$circle" | grep -v 'input contains a loop' | sed 's/^tsort: /  /'; fail=1
fi

[ $fail = 0 ] && echo "layers, portable files, headers and module circles: all as they should be"
exit $fail
