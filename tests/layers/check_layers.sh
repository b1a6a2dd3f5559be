#!/bin/sh
# check_layers.sh SOURCE_DIR
# Each folder may include only the folders below it; the core, the workspace,
# the command line and the browser engine include no Qt. Every folder of
# sources has a rule, so that a new one cannot slip past.
set -u
cd "$1"
failures=0
# folder: the project folders its sources may include
rules='
base/:base/
initial_data/:base/ initial_data/
numeric/:base/ numeric/
schemes/:base/ initial_data/ numeric/ schemes/
solvers/:base/ initial_data/ numeric/ solvers/
teaching/:base/ initial_data/ numeric/ solvers/ schemes/ teaching/
workspace/:base/ initial_data/ numeric/ solvers/ workspace/
cli/:base/ initial_data/ numeric/ solvers/ schemes/ teaching/ workspace/ cli/
web/:base/ initial_data/ numeric/ solvers/ schemes/ teaching/ web/
window_services/:base/ window_services/
data_dialog/:base/ initial_data/ solvers/ window_services/ data_dialog/
result_windows/:base/ solvers/ window_services/ result_windows/
app/:base/ initial_data/ numeric/ solvers/ schemes/ teaching/ workspace/ cli/ window_services/ data_dialog/ result_windows/ app/
'
plain='base initial_data numeric schemes solvers teaching workspace cli web'
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
out=$(echo "$rules" | while IFS=: read -r folder allowed; do
  [ -n "$folder" ] || continue
  for f in "$folder"*; do
    case "$f" in *.h|*.cpp) check "$f" $allowed ;; esac
  done
done)
# Every top folder holding C++ sources (the tests and build folders aside).
for dir in $(find . -mindepth 2 -maxdepth 2 \( -name '*.h' -o -name '*.cpp' \) -print |
             sed 's#^\./\([^/]*\)/.*#\1#' | sort -u); do
  case "$dir" in tests|build*) continue ;; esac
  echo "$rules" | grep -q "^$dir/:" || out="$out
$dir/ has no rule in check_layers.sh"
done
qt=$(for dir in $plain; do grep -l '^#include <Q' "$dir"/*.h "$dir"/*.cpp 2>/dev/null; done)
[ -z "$qt" ] || out="$out
sources that must stay plain C++ include Qt: $qt"
if [ -n "$out" ]; then
  echo "includes across layers:"; echo "$out" | sort -u
  exit 1
fi
echo "every include stays within its layer"
