# Cross build for 64-bit Windows with MinGW-w64 (posix threads, so std::thread and std::mutex work), run under
# Wine: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELTRANE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELTRANE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELTRANE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VELTRANE_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VELTRANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The wide Win32 API throughout. A program whose entry is wmain (arguments as UTF-16) links with
# VELTRANE_WMAIN_LINK_OPTIONS; the test programs keep GoogleTest's main.
add_compile_options(-municode)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX)
set(VELTRANE_WMAIN_LINK_OPTIONS -municode)
# A static runtime: every program is one .exe that runs without any MinGW DLL beside it.
add_link_options(-static -static-libgcc -static-libstdc++)

# Test programs run under Wine in a prefix of their own inside the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine-run.sh)
