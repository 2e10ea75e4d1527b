# Zig's C++ toolchain (PyPI's ziglang, pinned as zig_package in common.sh) for
# CMake; sourced after common.sh once .venv exists, into which it installs
# ziglang.
"$venv/bin/python" -m pip install --quiet "$zig_package"
zig_toolchain_file="$repo/scripts/zig/toolchain.cmake"

# Selects the Zig target triple for the CMake builds that follow, e.g.
# aarch64-linux-gnu.2.17 (glibc 2.17) or x86_64-linux-musl.
# For glibc targets, also builds the stand-in for libgcc_s.so.1 that the
# extension modules link against (libgcc_s/unwind.c says why).
use_zig_target() {
    export VARNOLT_ZIG_TARGET=$1 VARNOLT_ZIG_PYTHON="$venv/bin/python"
    unset VARNOLT_ZIG_LIBGCC_S
    case $1 in
    *-gnu*)
        local stub_dir="$repo/build/zig-libgcc_s/$1"
        mkdir -p "$stub_dir"
        "$venv/bin/python" -m ziglang cc -target "$1" -shared -fPIC -nostdlib \
            -Wl,-soname,libgcc_s.so.1 -Wl,--version-script="$repo/scripts/zig/libgcc_s/versions.map" \
            -o "$stub_dir/libgcc_s.so.1" "$repo/scripts/zig/libgcc_s/unwind.c"
        export VARNOLT_ZIG_LIBGCC_S="$stub_dir/libgcc_s.so.1"
        ;;
    esac
}
