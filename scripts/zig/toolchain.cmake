# CMake toolchain for builds with Zig's clang (the PyPI package ziglang): C++
# for any Linux target Zig knows, against the glibc version the target names
# (aarch64-linux-gnu.2.17) or musl, with LLVM's libc++ linked statically.
#
# The environment names the target, so that CMake's own test projects, which
# read this file again, see it too:
#   VARNOLT_ZIG_TARGET  the Zig target triple, e.g. x86_64-linux-gnu.2.17
#   VARNOLT_ZIG_PYTHON  the Python that has ziglang installed
#   VARNOLT_ZIG_LIBGCC_S for glibc targets, the stand-in for libgcc_s.so.1
#                       that zig.sh builds (libgcc_s/unwind.c says why)
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

# The Python extension modules (CMake's MODULE libraries) take their unwinder
# from the system's libgcc_s.so.1, which glibc uses to end threads.
if(VARNOLT_ZIG_TARGET MATCHES "-gnu")
  if(NOT DEFINED ENV{VARNOLT_ZIG_LIBGCC_S})
    message(FATAL_ERROR "zig toolchain: set VARNOLT_ZIG_LIBGCC_S (zig.sh use_zig_target)")
  endif()
  set(CMAKE_MODULE_LINKER_FLAGS_INIT "$ENV{VARNOLT_ZIG_LIBGCC_S}")
endif()

if(VARNOLT_ZIG_TARGET MATCHES "-musl")
  set(CMAKE_CXX_LINKER_LAUNCHER "${CMAKE_CURRENT_LIST_DIR}/musl-libc-name")
endif()
