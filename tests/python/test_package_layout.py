"""The public names import as they always have, and the package's modules import in layers, without cycles."""

import ast
import graphlib
import importlib
from pathlib import Path

import varnolt_walls

ROOT = Path(varnolt_walls.__file__).parent
# The subpackages bottom to top, above the leaves at the top level (_native, _version, quadratic_irrational).
LAYERS = ["classes", "plane", "search", "k3", "actual", "pictures", "sweep", "cli"]


def test_public_names_and_modules_import():
    namespace = {}
    exec("from varnolt_walls import *", namespace)
    assert set(varnolt_walls.__all__) <= set(namespace)
    assert importlib.import_module("varnolt_walls.sweep").sweep is varnolt_walls.sweep
    assert importlib.import_module("varnolt_walls.quadratic_irrational").QuadraticIrrational is namespace["QuadraticIrrational"]
    assert callable(importlib.import_module("varnolt_walls.cli").main)


def module_name(path):
    parts = ["varnolt_walls", *path.relative_to(ROOT).with_suffix("").parts]
    return ".".join(parts[:-1] if parts[-1] == "__init__" else parts)


def imported(path, name, modules):
    """The package's modules that the file imports, lazily or for type checks alike."""
    package = name if path.name == "__init__.py" else name.rpartition(".")[0]
    for node in ast.walk(ast.parse(path.read_text(encoding="utf-8"))):
        if isinstance(node, ast.ImportFrom):
            base = package.rsplit(".", node.level - 1)[0] if node.level else ""
            target = ".".join(filter(None, [base, node.module]))
            for alias in node.names:
                yield f"{target}.{alias.name}" if f"{target}.{alias.name}" in modules else target
        elif isinstance(node, ast.Import):
            yield from (alias.name for alias in node.names)


def layer(name):
    """0 for the leaves at the top level, then the subpackages in order; the package itself and __main__ on top."""
    parts = name.split(".")[1:]
    if parts in ([], ["__main__"]):
        return len(LAYERS) + 1
    return LAYERS.index(parts[0]) + 1 if parts[0] in LAYERS else 0


def test_imports_go_down_the_layers_without_cycles():
    files = {module_name(path): path for path in ROOT.rglob("*.py")}
    modules = set(files) | {"varnolt_walls._native"}
    graph = {name: {m for m in imported(path, name, modules) if m in modules} for name, path in files.items()}
    assert [(a, b) for a, found in graph.items() for b in found if layer(b) > layer(a)] == []
    assert len(graph) > 25 and list(graphlib.TopologicalSorter(graph).static_order())  # CycleError on a cycle
