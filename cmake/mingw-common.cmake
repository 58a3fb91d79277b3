# Shared part of the MinGW-w64 toolchain files. The -posix compilers are required:
# the win32 thread model lacks std::mutex, which GoogleTest needs.
set(CMAKE_C_COMPILER   ${FENNEL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FENNEL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${FENNEL_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${FENNEL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static linking: the executables import only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# ctest runs the Windows executables through Wine in the build tree's private prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
