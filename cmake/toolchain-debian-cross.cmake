# Shared part of the Debian cross toolchain files; they set
# ZORVIN_CROSS_TRIPLET, ZORVIN_CROSS_QEMU, ZORVIN_DEBIAN_ARCHITECTURE (the
# package architecture, see packaging/) and CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${ZORVIN_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${ZORVIN_CROSS_TRIPLET}-g++)

# Headers and libraries of the target come from the multiarch folders
# (/usr/include, /usr/lib/<triplet>) and the cross libc in /usr/<triplet>;
# programs such as gzip and pkg-config are the host's.
set(CMAKE_FIND_ROOT_PATH /usr/${ZORVIN_CROSS_TRIPLET})
set(CMAKE_LIBRARY_ARCHITECTURE ${ZORVIN_CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# pkg-config sees only the target's .pc files.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${ZORVIN_CROSS_TRIPLET}/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# Everything built here (the tests, the icon compiler) runs under qemu-user.
# The target's dynamic loader and libraries are the multiarch ones the -dev
# packages bring (libc6:armhf puts /lib/ld-linux-armhf.so.3 in place), so
# qemu needs no -L; pointed at the cross libc in /usr/<triplet> instead,
# qemu 7.2 crashes every forked child.
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZORVIN_CROSS_QEMU})
