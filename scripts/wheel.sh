#!/usr/bin/env bash
# Builds the developer's release files of this clone into dist/: the sdist,
# and from that sdist (so a wheel proves the sdist complete) the cp312 abi3
# wheel of this machine with its own compiler, repaired by auditwheel into a
# manylinux wheel with the most compatible tag that the wheel allows (on
# Debian 12: manylinux_2_34). The portable release wheels come from
# scripts/wheels.sh. Then checks them (scripts/wheel_steps.sh):
#   - the sdist holds only files tracked by git;
#   - every extension module in the wheel exports only its PyInit_* function;
#   - abi3audit: the wheel uses only the stable ABI of CPython 3.12;
# and prints `auditwheel show` for the wheel.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$repo/scripts/wheel_steps.sh"

sdist=$(build_sdist)
check_sdist "$sdist"
logged wheel python -m build --wheel --outdir "$work/built" "$sdist"
logged repair auditwheel repair --wheel-dir "$work/repaired" "$work"/built/*.whl
wheel=$(echo "$work"/repaired/*.whl)
check_wheel "$wheel"
publish "$sdist" "$wheel"
