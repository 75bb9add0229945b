# Cross build for IBM Z Linux with g++-s390x-linux-gnu: a big-endian CPU
# whose long double is IEEE binary128. Tests and programs run under
# qemu-s390x.
set(CROSS_TRIPLET s390x-linux-gnu)
set(CROSS_MULTIARCH s390x-linux-gnu)
set(CROSS_PROCESSOR s390x)
set(CROSS_QEMU qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
