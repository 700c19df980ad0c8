#!/usr/bin/env bash
# Runs the given make targets in order and prints how long each took, also when one fails,
# so a slow or broken stage of the test run is plain to see.
# Usage: run-stages.sh TARGET...
set -uo pipefail
make_cmd=${MAKE:-make}
times=()
status=0
for stage in "$@"; do
  start=$(date +%s)
  if "$make_cmd" --no-print-directory "$stage"; then
    result=ok
  else
    result=FAILED
    status=1
  fi
  times+=("$(printf '%-12s %5d s  %s' "$stage" $(($(date +%s) - start)) "$result")")
  ((status == 0)) || break
done
echo
echo "== stage times"
printf '%s\n' "${times[@]}"
exit $status
