"""The program's texts by id and language, read from the same tables the build makes its resources from."""
import importlib.util
import pathlib

_tables = {}


def _parse_table():
    tool = pathlib.Path(__file__).resolve().parents[3] / "tools" / "gen_strings.py"
    module_spec = importlib.util.spec_from_file_location("gen_strings", tool)
    module = importlib.util.module_from_spec(module_spec)
    module_spec.loader.exec_module(module)
    return module.parse_table


def text(ident, language="en-US"):
    if language not in _tables:
        path = pathlib.Path(__file__).resolve().parents[3] / "src" / "res" / "strings" / f"{language}.txt"
        _tables[language] = _parse_table()(path)[1]
    return _tables[language][ident]
