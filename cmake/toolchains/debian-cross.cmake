# The common part of the cross builds for Debian's cross compilers
# (g++-<triplet>), included by each CPU's toolchain file after it has set
#   CROSS_TRIPLET    the compiler's prefix, with its libraries in /usr/<triplet>
#   CROSS_MULTIARCH  Debian's multiarch folder of the target's libraries
#   CROSS_PROCESSOR  CMAKE_SYSTEM_PROCESSOR of the target
#   CROSS_QEMU       the qemu-user program that runs the target's programs
# The terminfo library comes from Debian's multiarch packages
# (libncurses-dev:<arch> in /usr/lib/<multiarch>); GoogleTest is built from
# its sources. Tests run under qemu.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${CROSS_PROCESSOR})

set(CMAKE_C_COMPILER ${CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${CROSS_TRIPLET}-g++)

# Libraries are looked up in the target's multiarch folders, never the host's.
set(CMAKE_LIBRARY_ARCHITECTURE ${CROSS_MULTIARCH})
set(CMAKE_FIND_ROOT_PATH /usr/${CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CTest (and gtest_discover_tests) run the cross-built tests under qemu. The
# loader comes from the cross toolchain's folder (-L); the library path makes
# it take that folder's C and C++ libraries too, before the multiarch ones.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CROSS_QEMU} -L /usr/${CROSS_TRIPLET} -E
                                  LD_LIBRARY_PATH=/usr/${CROSS_TRIPLET}/lib)
