#!/usr/bin/env bash
# The Raspberry Pi build, made on the PC: cross-builds zorvin for armhf
# (32-bit ARM hard-float) with Debian's cross compiler, runs the whole test
# suite under qemu-arm, and builds and checks the armhf Debian package like
# the PC's (tests/package/stage.sh). Then the arm64 build, compiled and
# packaged but not tested again: the suite is the same and qemu time is
# scarce. Run from the repository root (./test.sh does so).
#
# The packages stay in build-armhf/package/ and build-arm64/package/.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/deps.sh
jobs=$(nproc)

# cross_build ARCH: configures and builds build-ARCH with its toolchain file.
cross_build() {
  local arch=$1
  zorvin_install_cross "$arch"
  cmake -S . -B "build-$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-"$arch".cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVIN_WERROR=ON
  cmake --build "build-$arch" -j "$jobs"
}

# check_package ARCH QEMU: builds the package and checks it, running the
# unpacked programs under QEMU.
check_package() {
  ZORVIN_BUILD_DIR="build-$1" ZORVIN_DEBIAN_ARCH=$1 ZORVIN_EXE_LAUNCHER=$2 bash tests/package/stage.sh
}

SECONDS=0
cross_build armhf
ctest --test-dir build-armhf --output-on-failure -j "$jobs"
check_package armhf qemu-arm-static
echo "armhf: built, tested and packaged in $SECONDS s"
