# Cross build for 64-bit ARM (Raspberry Pi OS 64-bit, Debian arm64) with
# Debian's cross compiler and the arm64 -dev packages through multiarch:
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-arm64.cmake
# The programs it builds run on the PC under qemu-aarch64.
set(ZORVIN_CROSS_TRIPLET aarch64-linux-gnu)
set(ZORVIN_CROSS_QEMU qemu-aarch64-static)
set(ZORVIN_DEBIAN_ARCHITECTURE arm64)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-debian-cross.cmake)
