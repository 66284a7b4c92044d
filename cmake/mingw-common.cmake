# Shared by both MinGW-w64 toolchain files. The posix-threads compilers are used because
# GoogleTest needs std::mutex; with -static winpthread is linked in, so the programs still
# import only system DLLs. The tool's own code uses Win32 threads and critical sections.
set(CMAKE_C_COMPILER ${OMBREL_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OMBREL_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${OMBREL_TRIPLET}-windres)
set(OMBREL_MC_COMPILER ${OMBREL_TRIPLET}-windmc)
set(CMAKE_DLLTOOL ${OMBREL_TRIPLET}-dlltool)
set(CMAKE_FIND_ROOT_PATH /usr/${OMBREL_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# ctest runs the Windows test programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
