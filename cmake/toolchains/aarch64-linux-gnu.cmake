# Cross build for 64-bit ARM Linux with Debian's g++-aarch64-linux-gnu. The
# terminfo library comes from Debian's arm64 multiarch packages
# (libncurses-dev:arm64, in /usr/lib/aarch64-linux-gnu); GoogleTest is built
# from its sources. Tests and programs run under qemu-aarch64.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(AARCH64_TRIPLET aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${AARCH64_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${AARCH64_TRIPLET}-g++)

# Libraries are looked up in the arm64 multiarch folders, never the host's.
set(CMAKE_LIBRARY_ARCHITECTURE ${AARCH64_TRIPLET})
set(CMAKE_FIND_ROOT_PATH /usr/${AARCH64_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CTest (and gtest_discover_tests) run the cross-built tests under qemu, with
# the cross toolchain's C and C++ libraries.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/${AARCH64_TRIPLET})
