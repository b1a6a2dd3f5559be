#!/bin/sh
# check_layers.sh SOURCE_DIR
# Each folder may include only the folders below it; the core includes no Qt.
set -u
cd "$1"
failures=0
# folder (or file prefix): the project folders its sources may include
rules='
base/:base/
initial_data/:base/ initial_data/
numeric/:base/ numeric/
schemes/:base/ initial_data/ numeric/ schemes/
solvers/:base/ initial_data/ numeric/ solvers/
teaching/:base/ initial_data/ numeric/ solvers/ schemes/ teaching/
app/BatchRun:base/ initial_data/ numeric/ solvers/ schemes/ app/BatchRun app/VariantsRun
app/VariantsRun:base/ initial_data/ numeric/ solvers/ schemes/ teaching/ app/Workspace app/VariantsRun
app/Workspace:base/ initial_data/ numeric/ solvers/ app/Workspace
window_services/:base/ window_services/
data_dialog/:base/ initial_data/ solvers/ window_services/ data_dialog/
result_windows/:base/ solvers/ window_services/ result_windows/
'
check() {  # file, allowed folders
  file=$1; shift
  dir=$(dirname "$file")/
  grep -h '^#include "' "$file" | sed 's/^#include "\([^"]*\)".*/\1/' | while read -r inc; do
    case "$inc" in */*) target=$inc ;; *) target=$dir$inc ;; esac
    target=$(echo "$target" | sed 's#^\(\.\./\)*##')
    ok=0
    for allowed in "$@"; do
      case "$target" in "$allowed"*) ok=1 ;; esac
    done
    [ $ok = 1 ] || echo "$file includes $inc"
  done
}
out=$(echo "$rules" | while IFS=: read -r prefix allowed; do
  [ -n "$prefix" ] || continue
  for f in $(ls $prefix* 2>/dev/null; ls $prefix*/* 2>/dev/null); do
    case "$f" in *.h|*.cpp) check "$f" $allowed ;; esac
  done
done)
qt=$(grep -l '^#include <Q' base/* initial_data/* numeric/* solvers/* teaching/* app/BatchRun.* app/VariantsRun.* app/Workspace.* 2>/dev/null)
[ -z "$qt" ] || out="$out
core sources that include Qt: $qt"
if [ -n "$out" ]; then
  echo "includes across layers:"; echo "$out" | sort -u
  exit 1
fi
echo "every include stays within its layer"
