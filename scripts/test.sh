#!/usr/bin/env bash
# Runs every test, in stages:
#   1. the C++ core's GoogleTest suite (through CTest);
#   2. the release files (scripts/wheel.sh): the sdist, the manylinux abi3 wheel
#      built from it and the checks on both;
#   3. the pytest suite against that one wheel, installed into a fresh virtual
#      environment for each Python version in test_python_versions (3.12, 3.13);
#   4. the typing checks of the stubs (tests/typing/check.py) and the sdist
#      check (tests/packaging), with the wheel installed into .venv;
#   5. the C++ and pytest suites under AddressSanitizer and
#      UndefinedBehaviorSanitizer (scripts/sanitizers.sh), and the fuzzer on
#      the search for VARNOLT_FUZZ_TIME seconds (scripts/fuzz.sh, default 60).
# VARNOLT_QUICK=1 skips stage 5. Arguments go to pytest.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
scripts="$repo/scripts"

timings=()
stage() {  # NAME COMMAND...: runs the command and records how long it took
    local name=$1 start=$SECONDS
    shift
    echo "==> $name"
    "$@"
    timings+=("$(printf '%-20s %4d s' "$name" $((SECONDS - start)))")
}

core_tests() {
    local build="$repo/build/core-tests"
    "$venv/bin/cmake" -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_MAKE_PROGRAM="$venv/bin/ninja" \
        -DVARNOLT_BUILD_EXTENSION=OFF -DVARNOLT_BUILD_TESTS=ON >/dev/null
    "$venv/bin/cmake" --build "$build"
    "$venv/bin/ctest" --test-dir "$build" --output-on-failure
}

# The release wheel for x86_64 glibc systems that scripts/wheels.sh just put
# into dist/: the tests run the wheel that ships.
built_wheel() {
    local wheels
    wheels=$(ls -t "$repo"/dist/varnolt-*-cp312-abi3-*manylinux_2_17_x86_64.whl)
    echo "${wheels%%$'\n'*}"
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

# Typing and sdist checks run in .venv, which has the tools; the wheel replaces
# whatever varnolt was installed there.
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

stage "C++ tests" core_tests
stage "wheels and sdist" bash "$scripts/wheels.sh"
for version in "${test_python_versions[@]}"; do
    stage "pytest $version" python_tests "$version" "$@"
done
stage "typing, sdist" packaging_checks
if [ "${VARNOLT_QUICK:-0}" != 1 ]; then
    stage "sanitizers" bash "$scripts/sanitizers.sh" "$@"
    stage "fuzzer" bash "$scripts/fuzz.sh"
else
    echo "VARNOLT_QUICK=1: sanitizer and fuzzer stages skipped"
fi

echo "==> stage times"
printf '%s\n' "${timings[@]}"
