# Cross build for 64-bit ARM Linux with Debian's g++-aarch64-linux-gnu; tests
# and programs run under qemu-aarch64.
set(CROSS_TRIPLET aarch64-linux-gnu)
set(CROSS_MULTIARCH aarch64-linux-gnu)
set(CROSS_PROCESSOR aarch64)
set(CROSS_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
