# Cross build for 32-bit ARM Linux (hard float, Debian's armhf) with
# g++-arm-linux-gnueabihf; tests and programs run under qemu-arm. Its long
# double is 64 bits.
set(CROSS_TRIPLET arm-linux-gnueabihf)
set(CROSS_MULTIARCH arm-linux-gnueabihf)
set(CROSS_PROCESSOR arm)
set(CROSS_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
# gcc notes that the ABI of passing some structures changed in gcc 7.1: true,
# and no concern of a program built whole with one compiler.
set(CMAKE_CXX_FLAGS_INIT -Wno-psabi)
