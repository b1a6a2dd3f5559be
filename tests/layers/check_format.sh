#!/bin/sh
# check_format.sh SOURCE_DIR CLANG_FORMAT
# Every C++ source and header of the program and its tests follows
# .clang-format; a misformatted line is named by file and line.
set -u
cd "$1" || exit 1
format=$2
# The files git knows or would add (build folders and node_modules are
# ignored), or every source below the folder of an unpacked tarball. The fuzz
# corpora are inputs, not sources.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  files=$(git ls-files --cached --others --exclude-standard -- '*.h' '*.cpp')
else
  files=$(find . -path ./web/node_modules -prune -o -path './build*' -prune -o \
    \( -name '*.h' -o -name '*.cpp' \) -print | sed 's#^\./##')
fi
files=$(printf '%s\n' $files | grep -v '^tests/fuzz/corpus/' | while read -r f; do
  [ -f "$f" ] && echo "$f"
done)
if [ -z "$files" ]; then
  echo "no C++ sources found in $1" >&2
  exit 1
fi
# shellcheck disable=SC2086 # one name per word: the sources have no blanks
"$format" --style=file --dry-run -Werror $files || {
  echo "Misformatted, as above: run $format -i on those files." >&2
  exit 1
}
echo "$(echo "$files" | wc -l) files follow .clang-format"
