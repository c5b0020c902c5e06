# Cross-compiles for 64-bit ARM Linux, Debian's arm64 (64-bit Raspberry Pi
# OS among them), with Debian's g++-aarch64-linux-gnu and its libraries by
# multiarch; the programs run under qemu-user, which finds them there.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /)
