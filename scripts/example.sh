#!/usr/bin/env bash
# Installs varnolt and varnolt_walls into .venv and runs an example search
# with each.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_venv
install_package
"$venv/bin/python" - <<'PY'
import varnolt

print("bogomolov_form(3, 2, -1) =", varnolt.bogomolov_form(3, 2, -1))
print(varnolt.pseudo_semistabilizers(2, 1, -4))

import varnolt_walls

print("walls of one point in the plane, candidates of rank <= 12:")
for wall in varnolt_walls.walls(1, 0, -2, max_rank=12):
    print(f"  center {wall.center}, radius^2 {wall.radius_squared}: {wall.semistabilizers}")
PY
