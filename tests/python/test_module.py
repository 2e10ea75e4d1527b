"""The module object: initialisation, __all__, re-import, docstrings, signatures, stubs."""

import ast
import importlib
import importlib.util
import inspect
import sys
from pathlib import Path

import pytest

import varnolt

NAMES = ["sum_as_string", "bogomolov_form", "pseudo_semistabilizers"]


def test_module_attributes():
    assert varnolt.__all__ == NAMES
    assert isinstance(varnolt.__doc__, str) and varnolt.__doc__.strip()
    assert not hasattr(varnolt, "PanicException")


def _import_after_deleting():
    del sys.modules["varnolt"]
    return importlib.import_module("varnolt")


@pytest.mark.parametrize("reimport", [_import_after_deleting, lambda: importlib.reload(varnolt)],
                         ids=["import-after-del", "reload"])
def test_reimport_gives_the_identical_module_with_unchanged_all(reimport):
    assert reimport() is varnolt
    assert sys.modules["varnolt"] is varnolt
    assert varnolt.__all__ == NAMES


@pytest.mark.parametrize(
    "name, doc, text_signature",
    [
        ("sum_as_string", "Formats the sum of two numbers as string.", "(a, b)"),
        ("bogomolov_form", None, "(r, c, d)"),
        ("pseudo_semistabilizers", None, "(r, c, d)"),
    ],
)
def test_function_metadata(name, doc, text_signature):
    function = getattr(varnolt, name)
    assert (function.__name__, function.__module__, function.__self__) == (name, "varnolt", varnolt)
    assert function.__doc__ == doc
    assert function.__text_signature__ == text_signature
    parameters = inspect.signature(function).parameters.values()
    assert f"({', '.join(p.name for p in parameters)})" == text_signature
    assert {p.kind for p in parameters} == {inspect.Parameter.POSITIONAL_OR_KEYWORD}
    assert {p.default for p in parameters} == {inspect.Parameter.empty}


def test_stub_package_is_installed_next_to_the_module_and_declares_the_functions():
    found = importlib.util.find_spec("varnolt-stubs")
    assert found is not None
    stub_dir = Path(varnolt.__file__).resolve().parent / "varnolt-stubs"
    assert stub_dir in [Path(p).resolve() for p in found.submodule_search_locations]
    tree = ast.parse((stub_dir / "__init__.pyi").read_text(encoding="utf-8"))
    functions = {node.name: [a.arg for a in node.args.args]
                 for node in tree.body if isinstance(node, ast.FunctionDef)}
    assert functions == {"sum_as_string": ["a", "b"], "bogomolov_form": ["r", "c", "d"],
                         "pseudo_semistabilizers": ["r", "c", "d"]}
    declared_all = [ast.literal_eval(node.value) for node in tree.body
                    if isinstance(node, ast.Assign) and node.targets[0].id == "__all__"]
    assert declared_all == [NAMES]
