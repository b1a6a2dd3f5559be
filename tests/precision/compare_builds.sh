#!/bin/sh
# compare_builds.sh NATIVE_DUMP SOFT_DUMP TASKS_DIR CASES_FILE SETS
# Both builds print every task's report and chart for the delivered defaults,
# SETS random textbook-style parameter sets per task and the named cases; the
# outputs must be the same bytes.
set -eu
native=$1 soft=$2 tasks=$3 cases=$4 sets=$5
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cd "$tasks"
"$native" --random "$sets" --cases "$cases" > "$out/native"
"$soft" --random "$sets" --cases "$cases" > "$out/soft"
runs=$(grep -c '^== ' "$out/native")
refused=$(grep -c '^refused: ' "$out/native" || true)
if cmp -s "$out/native" "$out/soft"; then
  echo "$runs runs ($refused refused for their data): reports and chart points identical"
  exit 0
fi
echo "the software extended build differs from the x87 build:"
diff "$out/native" "$out/soft" | head -40
# The run whose output differs first.
line=$(cmp "$out/native" "$out/soft" | sed -n 's/.* line \([0-9]*\)$/\1/p')
head -n "$line" "$out/native" | grep '^== ' | tail -1
exit 1
