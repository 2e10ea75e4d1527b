# Zig's C++ toolchain (PyPI's ziglang, pinned as zig_package in common.sh) for
# CMake; sourced after common.sh once .venv exists, into which it installs
# ziglang.
"$venv/bin/python" -m pip install --quiet "$zig_package"
zig_toolchain_file="$repo/scripts/zig/toolchain.cmake"

# Selects the Zig target triple for the CMake builds that follow, e.g.
# aarch64-linux-gnu.2.17 (glibc 2.17) or x86_64-linux-musl.
use_zig_target() {
    export VARNOLT_ZIG_TARGET=$1 VARNOLT_ZIG_PYTHON="$venv/bin/python"
}
