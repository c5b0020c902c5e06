# Cross-compiles for ARM Linux with Debian's cross compiler for ARM_TRIPLET:
# aarch64-linux-gnu for arm64, arm-linux-gnueabihf for armhf (64- and 32-bit
# Raspberry Pi OS among them). The libraries come by multiarch, and the
# programs run under qemu-user, which finds them there.
set(CMAKE_SYSTEM_NAME Linux)
string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR "${ARM_TRIPLET}")
set(CMAKE_CXX_COMPILER ${ARM_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${ARM_TRIPLET})
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${CMAKE_SYSTEM_PROCESSOR} -L /)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ARM_TRIPLET)
