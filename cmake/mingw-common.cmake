# Shared by the two MinGW-w64 toolchain files. The posix thread model's
# compilers give the full C++ standard library.
set(CMAKE_C_COMPILER ${VARNEL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VARNEL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VARNEL_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VARNEL_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Test executables run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
