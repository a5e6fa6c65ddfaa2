# Cross toolchain: 64-bit Windows. Used to test on machines that cannot run
# 32-bit code (see scripts/wine-env.sh); the installer users get is the
# i686 build.
set(KY_TARGET_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
