#!/usr/bin/env bash
# Runs the tests under AddressSanitizer and UndefinedBehaviorSanitizer (g++):
#   1. the C++ core tests, built into build/sanitize-core;
#   2. the pytest suite against a sanitized build of the extension, installed
#      into its own virtual environment .venv-sanitize (built in
#      build/sanitize-ext), with the sanitizer runtimes preloaded into the
#      interpreter, since CPython itself is not built with them.
# Any report fails the run. Arguments go to pytest.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_gtest
ensure_venv "${test_packages[@]}" cmake ninja

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

# ---- 1. C++ core tests ------------------------------------------------------
build="$repo/build/sanitize-core"
"$venv/bin/cmake" -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_MAKE_PROGRAM="$venv/bin/ninja" \
    -DVARNOLT_BUILD_EXTENSION=OFF -DVARNOLT_BUILD_TESTS=ON -DVARNOLT_SANITIZE=ON >/dev/null
"$venv/bin/cmake" --build "$build"
# The two large differential searches take minutes under the sanitizers; the
# small ones run the same code.
ASAN_OPTIONS=detect_leaks=1:strict_init_order=1 \
    "$venv/bin/ctest" --test-dir "$build" --output-on-failure -j 2 \
    -E '^SearchAgainstPerRankEnumeration\.(LargeRationalBetaOfPositiveRank|LargeSparseRankZero)$'

# ---- 2. The extension under pytest -------------------------------------------
sanitize_venv="$repo/.venv-sanitize"
if [ ! -x "$sanitize_venv/bin/python" ]; then
    python=$(find_python)
    (cd "$repo" && "$python" -m venv "$sanitize_venv")
fi
"$sanitize_venv/bin/python" -m pip install --quiet --upgrade pip
"$sanitize_venv/bin/python" -m pip install --quiet "${test_packages[@]}"
"$sanitize_venv/bin/python" -m pip install --quiet \
    --config-settings=cmake.define.VARNOLT_SANITIZE=ON \
    --config-settings=cmake.build-type=RelWithDebInfo \
    --config-settings=build-dir=build/sanitize-ext \
    "$repo"

runtimes=""
for runtime in libasan.so libubsan.so; do
    path=$(g++ -print-file-name="$runtime")
    if [ ! -e "$path" ]; then
        echo "error: g++ has no $runtime (Debian: libasan8, libubsan1)" >&2
        exit 1
    fi
    runtimes="$runtimes $path"
done

# The interpreter is not built with the sanitizers, so its own allocations are
# not tracked for leaks. PYTHONMALLOC=malloc sends Python objects through the
# sanitizer's allocator as well, so that a reference freed too early shows up as
# a use after free. allocator_may_return_null keeps a failed allocation a null
# pointer (MemoryError) as it is without the sanitizer. Child interpreters that
# the tests start inherit all of this.
#
# Where reports go: pytest runs with --capture=sys, so file descriptor 2 stays
# the terminal's and a report from the test process itself is seen even when it
# ends that process. Children's stderr is usually captured by their test, so
# AddressSanitizer writes its reports to files as well, and any file there fails
# the run whatever pytest said; UndefinedBehaviorSanitizer (which with g++ keeps
# to stderr) ends a process with status 87, which no test expects. pytest's own
# output, full of the search's announcements on file descriptor 1, goes to a log.
reports="$repo/build/sanitize-ext/reports"
rm -rf "$reports"
mkdir -p "$reports"
export LD_PRELOAD="${runtimes# }${LD_PRELOAD:+ $LD_PRELOAD}"
export UBSAN_OPTIONS="$UBSAN_OPTIONS:exitcode=87"
asan_options="detect_leaks=0:allocator_may_return_null=1:exitcode=86:log_path=$reports/asan"
cd "$repo"

selection=$([ $# -gt 0 ] && echo yes || echo no)
sanitized_pytest() {  # LOG PYTEST-ARGUMENTS...
    local log=$1 status=0
    shift
    "$sanitize_venv/bin/python" -m pytest -q -p no:cacheprovider --capture=sys "$@" >"$log" || status=$?
    if [ "$status" = 0 ]; then tail -n 1 "$log"; else cat "$log"; fi
    if [ -n "$(ls -A "$reports")" ]; then
        for report in "$reports"/*; do
            echo "---- $report"
            head -n 60 "$report"
        done
        echo "error: sanitizer reports in $reports" >&2
        return 1
    fi
    # With a selection given on the command line, one of the two runs below
    # may well collect nothing (exit status 5).
    [ "$status" = 5 ] && [ "$selection" = yes ] && return 0
    return "$status"
}

ASAN_OPTIONS=$asan_options PYTHONMALLOC=malloc \
    sanitized_pytest "$repo/build/sanitize-ext/pytest.log" --ignore=tests/python/test_leaks.py "$@"

# The leak tests measure resident memory and the interpreter's block count over
# many rounds: they run with Python's own allocator, and without the quarantine
# in which the sanitizer holds freed memory back (it would read as a leak).
if [ -f tests/python/test_leaks.py ]; then
    ASAN_OPTIONS=$asan_options:quarantine_size_mb=0 \
        sanitized_pytest "$repo/build/sanitize-ext/pytest-leaks.log" tests/python/test_leaks.py "$@"
fi
