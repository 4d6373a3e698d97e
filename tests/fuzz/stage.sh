#!/usr/bin/env bash
# Fuzzes each parser for about 20 seconds; any finding fails the stage.
# Run from the repository root (./test.sh does so).
set -euo pipefail
source tests/fuzz/fuzz_build.sh

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
for target in "${zorvin_fuzz_targets[@]}"; do
  echo "== fuzzing $target"
  if ! zorvin_fuzz_run "$target" "$scratch/$target" -max_total_time=20 -print_final_stats=1 \
      >"$scratch/$target.log" 2>&1; then
    tail -n 60 "$scratch/$target.log"
    for finding in "$scratch/$target/findings"/*; do
      [ -e "$finding" ] && echo "finding: $(basename "$finding") (base64 $(base64 -w0 "$finding"))"
    done
    failed=1
  else
    grep -E '^stat::number_of_executed_units|^Done' "$scratch/$target.log" || true
  fi
done
exit "$failed"
