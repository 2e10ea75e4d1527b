#!/usr/bin/env bash
# Builds the documentation site into build/docs/html (Sphinx, offline: no
# intersphinx, nothing fetched; every warning an error) and runs every `>>>`
# example of README.md and of the pages under docs/ as a doctest, against the
# varnolt installed in .venv, or in VARNOLT_VENV's environment (installed from
# this tree when it has none).
# Arguments go to pytest.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_venv "${test_packages[@]}" "${docs_packages[@]}"
if ! "$venv/bin/python" -c 'import varnolt, varnolt_walls' 2>/dev/null; then
    echo "installing varnolt from this tree into $venv (builds the C++ extension, 1–2 minutes)"
    install_package
fi
# Pictures are drawn off screen; pages and pictures that examples write go to a
# temporary directory (docs/conftest.py), never into the tree.
export MPLBACKEND=Agg
html="$repo/build/docs/html"
rm -rf "$html" "$repo/build/docs/doctrees"
echo "building the documentation into $html"
"$venv/bin/python" -m sphinx -W --keep-going -q -b html -d "$repo/build/docs/doctrees" "$repo/docs" "$html"
echo "running the examples of README.md and docs/ as doctests"
(cd "$repo" && "$venv/bin/python" -m pytest -q -p no:cacheprovider --doctest-glob='*.md' \
    -o testpaths= README.md docs "$@")
