"""The driver's steps by name. Each returns the tokens of one step of zbdriver (see the list at
the top of driver/zbdriver.cpp); Harness.drive runs a list of them. Every wait names its time
limit, in seconds: `wait_box(timeout=20)`."""


class Step(tuple):
    """The tokens of one driver step."""


def _step(*tokens):
    return Step(tokens)


def flatten(steps):
    """The driver's tokens of `steps`."""
    tokens = []
    for step in steps:
        if not isinstance(step, Step):
            raise TypeError("not a driver step: %r" % (step,))
        tokens.extend(step)
    return tokens


# ---- programs ----

def report_windows_10(exe_name):
    return _step("win10", exe_name)


def start(path):
    return _step("start", path)


def run(command_line):
    return _step("run", command_line)


def wait_exit(*, timeout):
    return _step("exit", timeout)


def terminate():
    return _step("terminate")


def kill_under(folder):
    return _step("killunder", folder)


def window_lines(window_class, *, timeout):
    """Waits for a top-level window of that class, of any program; prints its children's texts."""
    return _step("lines", window_class, timeout)


def close_class(window_class, *, timeout):
    return _step("closeclass", window_class, timeout)


# ---- the wizard window ----

def wait_window(*, timeout):
    return _step("window", timeout)


def wait_gone(*, timeout):
    return _step("gone", timeout)


def no_window():
    return _step("nowindow")


def close():
    return _step("close")


def command(control):
    """What a click on a push button or radio button sends."""
    return _step("command", control)


def click(control):
    """A check box pressed and released."""
    return _step("click", control)


def set_text(control, text):
    return _step("settext", control, text)


def choose_language(index):
    return _step("language", index)


def wait_shown(control, *, timeout):
    return _step("visible", control, 1, timeout)


def wait_hidden(control, *, timeout):
    return _step("visible", control, 0, timeout)


def is_enabled(control):
    return _step("enabled", control, 1)


def is_disabled(control):
    return _step("enabled", control, 0)


def wait_checked(control, checked, *, timeout):
    return _step("checked", control, int(checked), timeout)


def wait_text(control, text, *, timeout):
    return _step("text", control, text, timeout)


def wait_text_not(control, text, *, timeout):
    return _step("textnot", control, text, timeout)


def print_text(control):
    return _step("print", control)


def wait_focus(control, *, timeout):
    return _step("focus", control, timeout)


def wait_dropped(dropped, *, timeout):
    return _step("dropped", int(dropped), timeout)


def rect(which):
    return _step("rect", which)


def layout():
    return _step("layout")


def constants():
    return _step("constants")


def manifest(path):
    return _step("manifest", path)


def dpi_changed(dpi):
    return _step("dpichanged", dpi)


def work_area():
    return _step("workarea")


def move_to(x, y):
    return _step("moveto", x, y)


def readers(what):
    return _step("readers", what)


def shot(name):
    """A screenshot, taken by the harness once the wizard has painted."""
    return _step("shot", name)


# ---- message boxes and the folder browser ----

def wait_box(*, timeout):
    return _step("box", timeout)


def no_box():
    return _step("nobox")


def wait_box_gone(*, timeout):
    return _step("boxgone", timeout)


def answer(button):
    """"first", "second" or "close"."""
    return _step("answer", button)


def wait_system_box(*, timeout):
    return _step("sysbox", timeout)


def system_ok():
    return _step("sysok")


def wait_any_box(*, timeout):
    return _step("anybox", timeout)


def dismiss():
    return _step("dismiss")


def wait_folder_box(*, timeout):
    return _step("folderbox", timeout)


def folder_ok():
    return _step("folderok")


def folder_cancel():
    return _step("foldercancel")


# ---- the machine ----

def code_page(number):
    return _step("codepage", number)


def hold_mutex(name):
    return _step("mutex", name)


def release():
    return _step("release")


def set_env(name, value):
    return _step("env", name, value)


def reg_set(path, name, value):
    return _step("regset", path, name, value)


def reg_delete(path):
    return _step("regdelete", path)


def reg_query(path):
    return _step("regquery", path)
