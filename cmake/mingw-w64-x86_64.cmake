# Cross-building for 64-bit Windows with Debian's mingw-w64 (the posix-threads
# flavour of its GCC, which C++ threads and GoogleTest need); ctest runs the programs
# under wine64.
#
# The engine alone, its programs linked statically so that they run without the
# compiler's DLLs beside them:
#
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#       -DTITORA_ENGINE_ONLY=ON -DTITORA_BENCH=OFF
#
# The whole program, against a Qt built for Windows (see README.md) in the folder named by
# TITORA_QT_WINDOWS:
#
#   cmake -S . -B build-win-qt -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#       -DTITORA_QT_WINDOWS=$HOME/.cache/titora/qt6-mingw -DTITORA_BENCH=OFF
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

# The checks CMake compiles read this file afresh and need the same roots.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TITORA_QT_WINDOWS TITORA_ENGINE_ONLY)
if(TITORA_QT_WINDOWS AND NOT TITORA_ENGINE_ONLY)
    # Qt's own packages are found under its folder, as under a second target root; its
    # build tools (moc, uic, rcc) are the host's, of the same version.
    list(APPEND CMAKE_FIND_ROOT_PATH "${TITORA_QT_WINDOWS}")
    list(APPEND CMAKE_PREFIX_PATH /)
    set(QT_HOST_PATH /usr)
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
    # Qt's DLLs need the compiler's runtime DLLs; the programs share them, so that one C++
    # runtime serves the whole process (its heap, its exceptions).
else()
    set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
endif()

# add_test() and ctest start the target's programs through this.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
