# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads
# flavour). The Windows libraries that Debian does not ship for mingw (libpng,
# TinyXML-2, GoogleTest) come from scripts/setup, which installs them into
# build/mingw-deps. Test executables run under Wine through scripts/wine-run.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ORVANTA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ORVANTA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVANTA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ORVANTA_MINGW_TRIPLE}-windres)

get_filename_component(_orvanta_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(ORVANTA_MINGW_DEPS "${_orvanta_root}/build/mingw-deps" CACHE PATH
    "Prefix holding the mingw builds of libpng, TinyXML-2 and GoogleTest")

# Libraries and headers only from the mingw sysroot and our prefix; programs
# (windres, wine) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${ORVANTA_MINGW_TRIPLE} "${ORVANTA_MINGW_DEPS}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Executables are linked statically; Debian's mingw zlib also has an import
# library (libz.dll.a) that would otherwise win and make them need zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)

# Run test executables (and gtest_discover_tests) under Wine, in the
# project's private prefix.
find_program(ORVANTA_WINE wine)
if(ORVANTA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${_orvanta_root}/scripts/wine-run")
endif()
