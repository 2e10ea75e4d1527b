#!/usr/bin/env bash
# Builds the release files of this clone into dist/: the sdist, and from that
# sdist (so each wheel proves it complete) one cp312 abi3 wheel per platform
# below, each compiled by Zig's clang (PyPI's ziglang, pinned in common.sh)
# with LLVM's libc++ linked statically, then tagged by `auditwheel repair`,
# which fails if the wheel needs more than its tag allows. Each wheel is
# checked as scripts/wheel_steps.sh says (only PyInit_* exported, abi3audit
# clean) and `auditwheel show` of each ends the log.
#
#   Zig target              wheel tag
#   x86_64-linux-gnu.2.17   manylinux_2_17_x86_64 (manylinux2014)
#   aarch64-linux-gnu.2.17  manylinux_2_17_aarch64 (manylinux2014)
#   x86_64-linux-musl       musllinux_1_2_x86_64
#
# The Python headers are those of $venv's CPython (scripts/common.sh): the stable ABI needs only
# the headers, which are the same for every architecture, and no libpython.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$repo/scripts/wheel_steps.sh"
source "$repo/scripts/zig/zig.sh"

platforms=(
    "x86_64-linux-gnu.2.17 manylinux_2_17_x86_64"
    "aarch64-linux-gnu.2.17 manylinux_2_17_aarch64"
    "x86_64-linux-musl musllinux_1_2_x86_64"
)

build_wheel() {  # SDIST ZIG-TARGET WHEEL-PLATFORM
    local sdist=$1 target=$2 platform=$3
    use_zig_target "$target"
    # scikit-build-core tags the wheel for this platform, auditwheel then for the policy.
    _PYTHON_HOST_PLATFORM="linux-${target%%-*}" logged "$platform" \
        python -m build --wheel --outdir "$work/built/$platform" \
        -C cmake.define.CMAKE_TOOLCHAIN_FILE="$zig_toolchain_file" "$sdist"
    # auditwheel names only this machine's architecture in --plat: `auto`
    # gives the most compatible tag the wheel allows, which must be ours.
    logged "repair-$platform" auditwheel repair --plat auto \
        --wheel-dir "$work/repaired/$platform" "$work/built/$platform"/*.whl
    [ -f "$(repaired_wheel "$platform")" ] || {
        echo "error: the wheel built for $target is not tagged $platform:" "$work/repaired/$platform"/* >&2
        exit 1
    }
}

repaired_wheel() {  # WHEEL-PLATFORM
    echo "$work/repaired/$1"/*"$1".whl
}

sdist=$(build_sdist)
check_sdist "$sdist"
wheels=()
for platform in "${platforms[@]}"; do
    read -r target tag <<<"$platform"
    echo "building the $tag wheel (zig c++ -target $target)"
    build_wheel "$sdist" "$target" "$tag"
    wheels+=("$(repaired_wheel "$tag")")
    check_wheel "${wheels[-1]}"
done
publish "$sdist" "${wheels[@]}"
