#!/usr/bin/env bash
# Long fuzzing on demand: tests/fuzz/long-run.sh [seconds-per-target]
# (default 3600). Runs each target alone in one process (no -jobs, whose
# helper logs would land in the working directory) and prints executions,
# executions per second and findings per target. Set FUZZ_RUNS to stop after
# that many executions instead, and FUZZ_TARGETS to a list of target names
# to run only those. Findings are kept in $FUZZ_OUT (default
# /tmp/zorvin-fuzz), never in the repository.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-3600}
out=${FUZZ_OUT:-/tmp/zorvin-fuzz}
source tests/fuzz/fuzz_build.sh
mkdir -p "$out"

limit=(-max_total_time="$seconds")
[ -n "${FUZZ_RUNS:-}" ] && limit=(-runs="$FUZZ_RUNS")
status=0
printf '%-18s %14s %10s %9s %8s\n' target executions exec/s seconds findings
read -r -a targets <<<"${FUZZ_TARGETS:-${zorvin_fuzz_targets[*]}}"
for target in "${targets[@]}"; do
  started=$(date +%s)
  zorvin_fuzz_run "$target" "$out/$target" "${limit[@]}" -print_final_stats=1 \
    >"$out/$target.log" 2>&1 || status=1
  elapsed=$(( $(date +%s) - started ))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/$target.log" | tail -n 1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$out/$target.log" | tail -n 1)
  findings=$(find "$out/$target/findings" -type f | wc -l)
  printf '%-18s %14s %10s %9s %8s\n' "$target" "${runs:-?}" "${speed:-?}" "$elapsed" "$findings"
done
echo "logs and findings: $out"
exit "$status"
