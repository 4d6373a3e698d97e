# Cross build for 32-bit ARM hard-float (Raspberry Pi OS, Debian armhf) with
# Debian's cross compiler and the armhf -dev packages through multiarch:
#   cmake -S . -B build-armhf -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-armhf.cmake
# The programs it builds run on the PC under qemu-arm (tests, build tools).
set(ZORVIN_CROSS_TRIPLET arm-linux-gnueabihf)
set(ZORVIN_CROSS_QEMU qemu-arm-static)
set(ZORVIN_DEBIAN_ARCHITECTURE armhf)
set(CMAKE_SYSTEM_PROCESSOR armv7l)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-debian-cross.cmake)
