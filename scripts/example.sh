#!/usr/bin/env bash
# Installs varnolt into .venv and runs an example search.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_venv
install_package
"$venv/bin/python" - <<'PY'
import varnolt

print("bogomolov_form(3, 2, -1) =", varnolt.bogomolov_form(3, 2, -1))
print(varnolt.pseudo_semistabilizers(2, 1, -4))
PY
