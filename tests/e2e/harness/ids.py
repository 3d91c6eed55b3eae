"""The numbers the tests share with the programs: control ids (PRIMARY, LICENCE, ...), exit codes
(EXIT_QUIT, UNINSTALL_REMOVED, ...), the wizard's size (WIZARD_WIDTH, WIZARD_HEIGHT), its scale
steps (SCALE_STEPS, MINIMUM_SCALE), the message box's buttons (BOX_BUTTON_LEFT,
BOX_BUTTON_WIDTH) and the quit box's size (QUIT_BOX_WIDTH, QUIT_BOX_HEIGHT). zbdriver prints
them from the programs' headers and the window's layout table; they are read once, through
the first Harness made, at the first use of one: `ids.PRIMARY`."""

import json

from .steps import constants

_values = {}
_source = None


def read_from(harness):
    """Reads the numbers through `harness`'s driver at the first use of one."""
    global _source
    _source = harness


def _load():
    lines = _source.drive(constants(), quiet=True)
    found = [json.loads(line[len("constants "):]) for line in lines
             if line.startswith("constants ")]
    if not found:
        raise RuntimeError("zbdriver printed no constants: %s" % lines)
    table = found[0]
    for group in ("controls", "exits", "sizes"):
        _values.update(table[group])
    _values["SCALE_STEPS"] = table["scale_steps"]


def __getattr__(name):
    if name.startswith("__"):
        raise AttributeError(name)
    if not _values:
        if _source is None:
            raise AttributeError("harness.ids.%s read before a Harness was made" % name)
        _load()
    if name not in _values:
        raise AttributeError("zbdriver prints no constant %s" % name)
    return _values[name]
