# Cross toolchain for Windows with the posix-thread MinGW-w64 compilers;
# the including file sets KY_TARGET_ARCH (i686 or x86_64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${KY_TARGET_ARCH})

set(CMAKE_C_COMPILER   ${KY_TARGET_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${KY_TARGET_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  ${KY_TARGET_ARCH}-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KY_TARGET_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Run target programs (tests, build-time tools) through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh")
