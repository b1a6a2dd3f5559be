#!/bin/sh
# run_fuzzer.sh FUZZER CORPUS_DIR SECONDS
# Replays the seed corpus, then fuzzes for SECONDS. New interesting inputs go
# to a scratch directory, so the committed corpus changes only by hand.
set -eu
fuzzer=$1 corpus=$2 seconds=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$scratch" "$corpus"
