# Cross build for 32-bit x86 Linux (Debian's i386) with g++-i686-linux-gnu;
# tests and programs run under qemu-i386. It has an x87 unit, and its time_t
# is 32 bits unless asked for 64.
set(CROSS_TRIPLET i686-linux-gnu)
set(CROSS_MULTIARCH i386-linux-gnu)
set(CROSS_PROCESSOR i686)
set(CROSS_QEMU qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
