# Cross toolchain: 32-bit Windows, the installer users get.
set(KY_TARGET_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
