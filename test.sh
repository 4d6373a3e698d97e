#!/usr/bin/env bash
# Builds zorvin and runs every test: the full Release build (core, tools, GUI
# tests under Xvfb, end-to-end), then the core
# tests again under AddressSanitizer and UndefinedBehaviorSanitizer, then the
# extra stages that some test folders bring (a tests/<name>/stage.sh each,
# e.g. the armhf cross build under qemu, fuzzing, the package). Each stage's
# time is printed at the end, so a slower run shows where the time went.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh

stage_times=()
# stage NAME COMMAND...: runs the command and keeps its wall time.
stage() {
  local name=$1 start=$SECONDS
  shift
  "$@"
  stage_times+=("$(printf '%6d s  %s' $((SECONDS - start)) "$name")")
}
print_stage_times() {
  echo "== time per stage"
  printf '%s\n' "${stage_times[@]}"
  printf '%6d s  all\n' "$SECONDS"
}
trap 'print_stage_times' EXIT

jobs=$(nproc)

stage "packages" zorvin_install_missing

# The build the tests run is what users and packagers build: Release (-O3),
# every target, and not one warning, so a newer compiler's -O3 diagnostics
# show up here first. The package stage packs this build.
build_pc() {
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORVIN_WERROR=ON
  cmake --build build -j "$jobs"
}
stage "build" build_pc
stage "tests" ctest --test-dir build --output-on-failure -j "$jobs"

build_sanitized() {
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORVIN_GUI=OFF -DZORVIN_SANITIZE=ON -DZORVIN_WERROR=ON
  cmake --build build-asan -j "$jobs"
}
stage "sanitizer build" build_sanitized
stage "sanitizer tests" ctest --test-dir build-asan --output-on-failure -j "$jobs"

for script in tests/*/stage.sh; do
  [ -f "$script" ] || continue
  echo "== $script"
  stage "$script" bash "$script"
done
