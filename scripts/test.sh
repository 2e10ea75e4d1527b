#!/usr/bin/env bash
# Runs every test: the C++ core's GoogleTest suite (through CTest) and the
# pytest suite against the installed module; then the same suites under
# AddressSanitizer and UndefinedBehaviorSanitizer (scripts/sanitizers.sh) and
# the fuzzer on the search for VARNOLT_FUZZ_TIME seconds (scripts/fuzz.sh,
# default 60). VARNOLT_QUICK=1 skips the sanitizer and fuzzer stages.
# Arguments go to pytest.
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

python_tests() {
    install_package
    (cd "$repo" && "$venv/bin/python" -m pytest -q "$@")
}

ensure_gtest
ensure_venv pytest numpy matplotlib cmake ninja

stage "C++ tests" core_tests
stage "pytest" python_tests "$@"
if [ "${VARNOLT_QUICK:-0}" != 1 ]; then
    stage "sanitizers" bash "$scripts/sanitizers.sh" "$@"
    stage "fuzzer" bash "$scripts/fuzz.sh"
else
    echo "VARNOLT_QUICK=1: sanitizer and fuzzer stages skipped"
fi

echo "==> stage times"
printf '%s\n' "${timings[@]}"
