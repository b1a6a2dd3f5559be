#!/bin/sh
# take_screenshots.sh [OUTPUT_DIR]
# Pictures of the start screen, a task window with its data dialog and a result
# window, drawn without a display. Build first (make build).
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/build/screenshots}
exec env QT_QPA_PLATFORM=offscreen "$root/build/tests/reactopt-screenshots" "$root/tasks" "$out"
