#!/usr/bin/env bash
# The Raspberry Pi builds, made on the PC with Debian's cross compilers.
# armhf (32-bit ARM hard-float, the Pi's usual system) is cross-built with
# warnings as errors, runs the test suite under qemu-arm (the core, the
# tools and end-to-end: where processor-dependent faults live, such as the
# signedness of char, alignment and sizes; the window's tests run on the PC
# only: under qemu they cost the most time and test the toolkit layer, which
# the PC's run covers), and its Debian
# package is built and checked like the PC's (tests/package/stage.sh), the
# unpacked programs running under qemu. arm64 is built and its package
# checked the same way; its test suite runs only with ZORVIN_ARM64_TESTS=1,
# as it would take ./test.sh past its time budget and tests nothing that
# armhf and the PC do not, or when armhf was skipped: then arm64 is the only
# ARM build whose tests run, in the time armhf's would have taken.
# Run from the repository root (./test.sh does so).
#
# The packages stay in build-armhf/package/ and build-arm64/package/.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/deps.sh
jobs=$(nproc)

# cross_stage ARCH QEMU RUN_TESTS
cross_stage() {
  local arch=$1 qemu=$2 run_tests=$3 build="build-$1"
  echo "== $arch"
  SECONDS=0
  if ! zorvin_install_cross "$arch"; then
    # Only a mirror that could not deliver the package lists excuses this
    # architecture; any other install failure fails the stage.
    [ "${zorvin_apt_lists_incomplete:-0}" = 1 ] || return 1
    echo "== $arch: SKIPPED - Debian's package lists could not all be downloaded (apt-get errors above)," \
      "so the $arch build packages cannot be installed here; nothing was built or tested for $arch"
    cross_skipped=1
    # An architecture added for nothing goes again: its missing lists would
    # fail every later package-list update on this machine.
    if [ "${zorvin_cross_arch_added:-0}" = 1 ]; then
      local sudo=""
      [ "$(id -u)" -ne 0 ] && sudo="sudo"
      $sudo dpkg --remove-architecture "$arch" || true
    fi
    return 0
  fi
  local installed=$SECONDS
  # A build whose tests do not run leaves them out: only the package is checked.
  local tests=ON
  [ "$run_tests" = 1 ] || tests=OFF
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVIN_WERROR=ON -DZORVIN_TESTS="$tests" -DZORVIN_GUI_TESTS=OFF
  cmake --build "$build" -j "$jobs"
  local built=$SECONDS
  if [ "$run_tests" = 1 ]; then ctest --test-dir "$build" --output-on-failure -j "$jobs"; fi
  local tested=$SECONDS
  ZORVIN_BUILD_DIR=$build ZORVIN_DEBIAN_ARCH=$arch ZORVIN_EXE_LAUNCHER=$qemu bash tests/package/stage.sh
  echo "$arch: installing $installed s, building $((built - installed)) s," \
    "tests under qemu $((tested - built)) s, package $((SECONDS - tested)) s"
}

cross_skipped=0
cross_stage armhf qemu-arm-static 1
cross_stage arm64 qemu-aarch64-static "${ZORVIN_ARM64_TESTS:-$cross_skipped}"
