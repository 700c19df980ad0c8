#!/usr/bin/env bash
# Runs every libFuzzer target in a folder for a short time, each from its seed corpus.
# Usage: run-fuzzers.sh FOLDER SECONDS
set -euo pipefail
dir=$1
seconds=$2
status=0
for fuzzer in "$dir"/fuzz_*; do
  [[ -x "$fuzzer" && -f "$fuzzer" ]] || continue
  name=$(basename "$fuzzer")
  corpus=$(mktemp -d)
  seeds="$dir/seeds/$name"
  [[ -d "$seeds" ]] && cp -r "$seeds"/. "$corpus"/
  echo "== $name ($seconds s)"
  if ! "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
      -print_final_stats=0 "$corpus" >"$corpus.log" 2>&1; then
    tail -n 60 "$corpus.log"
    status=1
  else
    grep -E 'Done [0-9]+ runs' "$corpus.log" | tail -n 1 || true
  fi
  rm -rf "$corpus" "$corpus.log"
done
exit $status
