#!/usr/bin/env bash
# Fuzzes each parser for about 20 seconds, as many targets at once as there
# are cores; any finding fails the stage.
# Run from the repository root (./test.sh does so).
set -euo pipefail
source tests/fuzz/fuzz_build.sh

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# fuzz_one TARGET: its output goes to TARGET.log, "ok" or "failed" to TARGET.status.
fuzz_one() {
  local target=$1 status=ok
  zorvin_fuzz_run "$target" "$scratch/$target" -max_total_time=20 -print_final_stats=1 \
    >"$scratch/$target.log" 2>&1 || status=failed
  echo "$status" >"$scratch/$target.status"
}

running=0
for target in "${zorvin_fuzz_targets[@]}"; do
  fuzz_one "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$(nproc)" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

failed=0
for target in "${zorvin_fuzz_targets[@]}"; do
  echo "== fuzzing $target"
  if [ "$(cat "$scratch/$target.status" 2>/dev/null)" != ok ]; then
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
