#!/usr/bin/env bash
# Builds zorvin and runs every test: the full build (core, tools, GUI tests
# under Xvfb, end-to-end), a Release build of the programs, then the core
# tests again under AddressSanitizer and UndefinedBehaviorSanitizer, then the
# extra stages that some test folders bring (a tests/<name>/stage.sh each,
# e.g. the armhf cross build under qemu, fuzzing, the package).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
zorvin_install_missing

jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVIN_WERROR=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

# What users and packagers build: Release (-O3), every program, and not one
# warning, so a newer compiler's -O3 diagnostics show up here first.
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORVIN_WERROR=ON
cmake --build build-release -j "$jobs" --target zorvin zorvin-asm zorvin-emusim zorvin-load zorvin-dis zorvin-sim

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORVIN_GUI=OFF -DZORVIN_SANITIZE=ON -DZORVIN_WERROR=ON
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs"

for stage in tests/*/stage.sh; do
  [ -f "$stage" ] || continue
  echo "== $stage"
  bash "$stage"
done
