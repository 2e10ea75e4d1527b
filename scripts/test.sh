#!/usr/bin/env bash
# Runs every test: the C++ core's GoogleTest suite (through CTest) and the
# pytest suite against the installed module.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [ ! -f /usr/include/gtest/gtest.h ]; then
    if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
        apt-get update -qq && apt-get install -y -qq libgtest-dev >/dev/null
    else
        echo "error: GoogleTest is missing; install Debian's libgtest-dev" >&2
        exit 1
    fi
fi

ensure_venv pytest cmake ninja
install_package

build="$repo/build/core-tests"
"$venv/bin/cmake" -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVARNOLT_BUILD_EXTENSION=OFF -DVARNOLT_BUILD_TESTS=ON >/dev/null
"$venv/bin/cmake" --build "$build"
"$venv/bin/ctest" --test-dir "$build" --output-on-failure

cd "$repo"
"$venv/bin/python" -m pytest -q "$@"
