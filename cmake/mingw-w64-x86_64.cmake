# Cross build for 64-bit Windows with Debian's mingw-w64 (the posix thread model, which
# std::thread and std::mutex need): cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake.
# scripts/build-windows.sh uses it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SORVEK_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${SORVEK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SORVEK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SORVEK_MINGW_TRIPLET}-windres)

# Libraries and headers of the target only; programs (pkg-config, the generators) of the build
# machine. Header-only libraries of the build machine (CLI11, nlohmann-json) are found through
# CMAKE_PREFIX_PATH, which the script sets. Target libraries built here (the workbook writer)
# are roots of their own, given with -DCMAKE_FIND_ROOT_PATH, searched before the system's.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${SORVEK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# No DLL to carry beside the programs: the compiler's runtime and winpthread linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
