#!/usr/bin/env bash
# Runs every test, in stages:
#   1. the C++ core's GoogleTest suite (through CTest; scripts/core_tests.sh);
#   2. the release files (scripts/wheels.sh): the sdist, and built from it by
#      Zig's toolchain the three portable abi3 wheels (manylinux_2_17 x86_64
#      and aarch64, musllinux_1_2 x86_64), with the checks on them;
#   3. the C++ core tests built by the aarch64 wheel's toolchain, run under
#      QEMU (scripts/core_tests.sh aarch64), and with the portable classes
#      that stand in for __int128 (scripts/core_tests.sh portable-int128);
#   4. the pytest suite against the shipped manylinux_2_17 x86_64 wheel of
#      stage 2, installed into a fresh virtual environment for each Python
#      version in test_python_versions (3.12, 3.13); the wheel of this
#      machine's g++ (scripts/wheel.sh, into build/gcc-wheel) is built and
#      checked as well, as `pip install .` builds it from source;
#   5. the typing checks of the stubs (tests/typing/check.py) and the sdist
#      check (tests/packaging), with the wheel installed into build/test-venv; then,
#      against that wheel, the documentation (scripts/docs.sh): the Sphinx
#      site built with warnings as errors, and every `>>>` example of
#      README.md and docs/ run as a doctest;
#   6. the C++ and pytest suites under AddressSanitizer and
#      UndefinedBehaviorSanitizer (scripts/sanitizers.sh), and the fuzzer on
#      the search for VARNOLT_FUZZ_TIME seconds (scripts/fuzz.sh, default 60).
# VARNOLT_QUICK=1 skips stage 6. Arguments go to pytest.
#
# Every stage works in environments of its own, never in .venv: the tools
# (CMake, Ninja, the build, typing and docs packages) and the wheel under test
# go into build/test-venv, which every script below uses through VARNOLT_VENV
# (scripts/common.sh); the pytest stages use build/venvs/<version>, the
# sanitizers .venv-sanitize.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
scripts="$repo/scripts"
venv="$repo/build/test-venv"
export VARNOLT_VENV="$venv"

timings=()
stage() {  # NAME COMMAND...: runs the command and records how long it took
    local name=$1 start=$SECONDS
    shift
    echo "==> $name"
    "$@"
    timings+=("$(printf '%-20s %4d s' "$name" $((SECONDS - start)))")
}

# The release wheel that the tests install: the one for x86_64 glibc systems
# that scripts/wheels.sh just built into dist/.
built_wheel() {
    echo "$repo"/dist/varnolt-*-cp312-abi3-*manylinux_2_17_x86_64.whl
}

python_tests() {  # VERSION PYTEST-ARGUMENTS...
    local version=$1 python test_venv="$repo/build/venvs/$1"
    shift
    python=$(find_python_version "$version")
    rm -rf "$test_venv"
    "$python" -m venv "$test_venv"
    "$test_venv/bin/python" -m pip install --quiet "${test_packages[@]}" "$(built_wheel)"
    (cd "$repo" && "$test_venv/bin/python" -m pytest -q "$@")
}

# Typing and sdist checks run in build/test-venv, which has the tools; the
# wheel replaces whatever varnolt an earlier run installed there.
packaging_checks() {
    ensure_venv "${test_packages[@]}" "${build_packages[@]}" "${typing_packages[@]}"
    "$venv/bin/python" -m pip uninstall --quiet --yes varnolt
    "$venv/bin/python" -m pip install --quiet "$(built_wheel)"
    "$venv/bin/python" "$repo/tests/typing/check.py"
    (cd "$repo" && "$venv/bin/python" -m pytest -q -p no:cacheprovider tests/packaging)
}

ensure_gtest
ensure_chromium
ensure_venv "${test_packages[@]}" cmake ninja

stage "C++ tests" bash "$scripts/core_tests.sh"
stage "wheels and sdist" bash "$scripts/wheels.sh"
gcc_wheel_dir="$repo/build/gcc-wheel"
rm -rf "$gcc_wheel_dir" && mkdir -p "$gcc_wheel_dir"
stage "g++ wheel" env VARNOLT_DIST="$gcc_wheel_dir" bash "$scripts/wheel.sh"
stage "C++ tests aarch64" bash "$scripts/core_tests.sh" aarch64
stage "C++ tests int128" bash "$scripts/core_tests.sh" portable-int128
for version in "${test_python_versions[@]}"; do
    stage "pytest $version" python_tests "$version" "$@"
done
stage "typing, sdist" packaging_checks
stage "docs, doctests" bash "$scripts/docs.sh"
if [ "${VARNOLT_QUICK:-0}" != 1 ]; then
    stage "sanitizers" bash "$scripts/sanitizers.sh" "$@"
    stage "fuzzer" bash "$scripts/fuzz.sh"
else
    echo "VARNOLT_QUICK=1: sanitizer and fuzzer stages skipped"
fi

echo "==> stage times"
printf '%s\n' "${timings[@]}"
