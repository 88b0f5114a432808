# Cross-building for 64-bit Windows with Debian's mingw-w64 (the posix-threads
# flavour of its GCC, which C++ threads and GoogleTest need). Programs are linked
# statically, so that they run without the compiler's DLLs beside them, and ctest runs
# them under wine64.
#
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#       -DTITORA_ENGINE_ONLY=ON -DTITORA_BENCH=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TITORA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TITORA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TITORA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TITORA_MINGW_TRIPLET}-windres)

# Headers and libraries come from the target's tree only; programs run on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TITORA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# add_test() and ctest start the target's programs through this.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
