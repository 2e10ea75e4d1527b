# CMake toolchain for builds with Zig's clang (the PyPI package ziglang): C++
# for any Linux target Zig knows, against the glibc version the target names
# (aarch64-linux-gnu.2.17) or musl, with LLVM's libc++ linked statically.
#
# The environment names the target, so that CMake's own test projects, which
# read this file again, see it too:
#   VARNOLT_ZIG_TARGET  the Zig target triple, e.g. x86_64-linux-gnu.2.17
#   VARNOLT_ZIG_PYTHON  the Python that has ziglang installed
set(VARNOLT_ZIG_TARGET "$ENV{VARNOLT_ZIG_TARGET}")
if(NOT VARNOLT_ZIG_TARGET OR NOT DEFINED ENV{VARNOLT_ZIG_PYTHON})
  message(FATAL_ERROR "zig toolchain: set VARNOLT_ZIG_TARGET and VARNOLT_ZIG_PYTHON")
endif()

set(CMAKE_SYSTEM_NAME Linux)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${VARNOLT_ZIG_TARGET}")

# Wrappers run `python -m ziglang <tool> ...`: CMake needs one program per tool.
set(CMAKE_C_COMPILER "${CMAKE_CURRENT_LIST_DIR}/cc")
set(CMAKE_CXX_COMPILER "${CMAKE_CURRENT_LIST_DIR}/c++")
set(CMAKE_AR "${CMAKE_CURRENT_LIST_DIR}/ar" CACHE FILEPATH "" FORCE)
set(CMAKE_RANLIB "${CMAKE_CURRENT_LIST_DIR}/ranlib" CACHE FILEPATH "" FORCE)

if(VARNOLT_ZIG_TARGET MATCHES "-musl")
  set(CMAKE_CXX_LINKER_LAUNCHER "${CMAKE_CURRENT_LIST_DIR}/musl-libc-name")
endif()
