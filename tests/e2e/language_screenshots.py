#!/usr/bin/env python3
"""Screenshots of the setup program's options screen in other languages, for checking by eye
that every text fits its control.

    language_screenshots.py --bin DIR --work DIR --screenshots DIR --messages DIR [CODE...]

Opens the wizard once and, for each language (default: all of LANGUAGES), chooses it in the
language list, checks that the window took that language's texts (looked up in the message
sources with the same fallback as the program's), and takes options-CODE-standard.png and
options-CODE-custom.png. Needs what the harness needs.
"""

import argparse
import os
import pathlib
import re
import sys
import time
import types

from harness import ids
from harness.core import WINDOW_TIMEOUT, CaseFailed, check
from harness.steps import (answer, choose_language, close, code_page, command, shot, wait_any_box,
                           wait_box, wait_gone, wait_hidden, wait_shown, wait_text)
from harness.wine import Harness


# Code and language index of each language shown, in the order they are visited.
LANGUAGES = (
    ("de", 4), ("fr", 3), ("ru", 6), ("el", 24), ("pl", 10), ("ja", 16),
    ("es", 5), ("es-419", 31), ("pt", 7), ("pt-BR", 28), ("it", 9), ("da", 12), ("sv", 13),
    ("nl", 8), ("cs", 20), ("hu", 11), ("ro", 21), ("bg", 19), ("uk", 23), ("et", 25),
    ("en-IN", 33), ("en", 0),
)
# Where a language's missing texts come from; every other language falls back to English.
FALLBACK = {"pt-BR": "pt", "es-419": "es"}
# Languages that ask for Windows' East Asian support first.
EAST_ASIAN = (16, 17, 18, 30)


def checked_texts():
    """Texts that must follow the language: control id and key."""
    return ((ids.PRIMARY, "TXTINS_Install"), (ids.BROWSE, "TXTINS_BrowseXX"),
            (ids.DESKTOP, "TXTINS_Desktop_shortcut"))
LINE = re.compile(r"\s*(\S+)[ \t]+(\S+)[ \t]+\d+ (.*)$")


def load_messages(folder):
    """{language: {key: text}} of every message source in `folder`."""
    texts = {}
    for path in sorted(pathlib.Path(folder).glob("*.txt")):
        for line in path.read_text(encoding="utf-8").splitlines():
            match = LINE.match(line)
            if match and not line.lstrip().startswith("#"):
                language, key, text = match.groups()
                texts.setdefault(language, {})[key] = text
    return texts


def lookup(texts, language, key):
    while True:
        if key in texts.get(language, {}):
            return texts[language][key]
        if language == "en":
            raise KeyError(key)
        language = FALLBACK.get(language, "en")


def language_steps(texts, code):
    """Driver steps that wait until the window shows the language's texts, then take the
    screenshots of the standard and the custom view."""
    steps = []
    for control, key in checked_texts():
        steps += [wait_text(control, lookup(texts, code, key), timeout=5)]
    return steps + [shot("options-%s-standard" % code), command(ids.CUSTOM),
                    wait_shown(ids.FOLDER_EDIT, timeout=5), shot("options-%s-custom" % code),
                    command(ids.STANDARD), wait_hidden(ids.FOLDER_EDIT, timeout=5)]


def show_languages(h, texts, languages):
    h.open_wizard(h.bin / "ZembricoE2E.exe")
    # The support warning comes only where Windows lacks the code page of Japanese mail text.
    supported = h.drive(code_page(50220))[-1] == "codepage 50220: 1"
    for code, index in languages:
        if index in EAST_ASIAN and not supported:
            h.drive(choose_language(index), wait_any_box(timeout=WINDOW_TIMEOUT),
                    shot("box-language-%s" % code), answer("first"))
            print("  %s: the support warning was answered with Continue" % code, flush=True)
            h.drive(*language_steps(texts, code))
        else:
            h.drive(choose_language(index), *language_steps(texts, code))
    h.drive(close(), wait_box(timeout=20), answer("first"),
            wait_gone(timeout=30))
    check(h.exit_code() == ids.EXIT_QUIT, "Quit did not end with -1")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--screenshots", required=True)
    parser.add_argument("--messages", required=True)
    parser.add_argument("codes", nargs="*", metavar="CODE")
    options = parser.parse_args()
    unknown = set(options.codes) - {code for code, _ in LANGUAGES}
    if unknown:
        parser.error("not a language of the test: " + ", ".join(sorted(unknown)))
    if not os.environ.get("DISPLAY"):
        print("language screenshots: no DISPLAY", file=sys.stderr)
        return 1
    languages = [entry for entry in LANGUAGES if not options.codes or entry[0] in options.codes]
    texts = load_messages(options.messages)
    harness = Harness(types.SimpleNamespace(bin=options.bin, work=options.work,
                                                screenshots=options.screenshots, zbtag="",
                                                port=0))
    started = time.time()
    try:
        show_languages(harness, texts, languages)
    except CaseFailed as failure:
        print("language screenshots: FAILED: %s" % failure, flush=True)
        return 1
    finally:
        harness.clean_up()
        harness.close_driver()
    print("language screenshots: %d languages in %.1f s, in %s"
          % (len(languages), time.time() - started, options.screenshots), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
