# Shared set-up of the scripts: a Python 3.12+ virtual environment in .venv.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
venv="$repo/.venv"

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

ensure_venv() {
    if [ ! -x "$venv/bin/python" ]; then
        local python
        python=$(find_python)
        (cd "$repo" && "$python" -m venv "$venv")
    fi
    "$venv/bin/python" -m pip install --quiet --upgrade pip
    "$venv/bin/python" -m pip install --quiet "$@"
}

install_package() {
    "$venv/bin/python" -m pip install --quiet "$repo"
}
