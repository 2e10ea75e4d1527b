#!/usr/bin/env bash
# Installs varnolt and varnolt_walls into .venv, with the extras that the quick
# start and the user guide use (matplotlib, Bokeh, pandas, sympy, tqdm), and
# runs an example search with each. Says what it is doing before each step.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
say() { echo "==> $*"; }

# Runs COMMAND..., and says every 15 seconds that it is still at work, so
# that a long quiet step (a compilation) is never silent for long.
while_telling() {
    local start=$SECONDS next=$((SECONDS + 15)) pid
    "$@" &
    pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        sleep 1
        if ((SECONDS >= next)) && kill -0 "$pid" 2>/dev/null; then
            echo "    ... still at work, $((SECONDS - start)) s"
            next=$((next + 15))
        fi
    done
    wait "$pid"
}

if [ -x "$venv/bin/python" ]; then
    say "using the virtual environment $venv"
else
    say "creating the virtual environment $venv"
fi
ensure_venv
say "building the C++ extension (about 1–2 minutes on 2 cores) and installing varnolt with" \
    "NumPy, matplotlib, Bokeh, pandas, sympy and tqdm (its 'guide' extra)"
while_telling "$venv/bin/python" -m pip install --quiet "$repo[guide]"
say "installed: $("$venv/bin/python" -c 'import varnolt_walls; print("varnolt", varnolt_walls.__version__)')"
say "running an example with each package"
"$venv/bin/python" - <<'PY'
import varnolt

print("bogomolov_form(3, 2, -1) =", varnolt.bogomolov_form(3, 2, -1))
# The module announces each search on standard output before it returns: the
# "Computing ..." line names v = (2, 1, -4) as ch = (2, ℓ, -2ℓ²) (d = 2·ch2).
print("varnolt.pseudo_semistabilizers(2, 1, -4) first announces its search (the next line),"
      " then returns the candidates (r, c, d), printed after it:", flush=True)
print(varnolt.pseudo_semistabilizers(2, 1, -4))

import varnolt_walls

two_points = varnolt_walls.ideal_sheaf(2, surface="P2")
print(f"walls of two points on P², ch = {two_points}:")
for wall in varnolt_walls.walls(two_points):
    print(" ", wall)
one_point = varnolt_walls.ideal_sheaf(1, surface="P2")  # β₋ = -√2: infinitely many walls, so a rank bound
print(f"walls of one point on P², ch = {one_point}, candidates of rank <= 12:")
for wall in varnolt_walls.walls(one_point, max_rank=12):
    print(" ", wall)
PY
say "done: try $venv/bin/python, $venv/bin/varnolt-walls --help, or the guide in docs/guide/quickstart.md"
