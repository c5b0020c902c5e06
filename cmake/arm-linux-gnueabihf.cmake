# Cross-compiles for 32-bit ARM Linux, Debian's armhf (32-bit Raspberry Pi
# OS among them), with Debian's g++-arm-linux-gnueabihf; the libraries come
# by multiarch and the programs run under qemu-user, as for arm64.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L /)
