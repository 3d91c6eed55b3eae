"""What the installer's logs say: the lines queued before Install.log existed."""

import re

from .core import ROOT, CaseFailed, check


ANALYTICS_OFF = "PSystemError caught in GoogleAnalytics::GoogleAnalytics(): "
UNTAGGED_SITE_LINES = ["Reading site from TINFO", "No tInfo found.", "Site from TINFO is:''",
                       "No site value was read from TINFO"]
TIMESTAMP = re.compile(r"^\[\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\]$")


def queued_lines(folder):
    """The lines of the last installation in folder's Install.log that were logged before the
    log existed: after its "Locale: %d" line, up to the extraction (timestamp lines left out)."""
    lines = (folder / "Install.log").read_bytes().decode("latin-1").split("\r\n")
    starts = [i for i, line in enumerate(lines) if re.fullmatch(r"Locale: \d+", line)]
    check(starts, "no Locale line in Install.log")
    queued = []
    for line in lines[starts[-1] + 1:]:
        if line.startswith("\nExtracting files:"):
            return queued
        if not TIMESTAMP.match(line):
            queued.append(line)
    raise CaseFailed("no extraction after the Locale line: %s" % queued)


def check_queued(folder, expected):
    """The queued lines are `expected`, the last one (the analytics state) as a prefix."""
    queued = queued_lines(folder)
    print("  queued lines: %s" % queued, flush=True)
    check(len(queued) == len(expected) and queued[:-1] == expected[:-1]
          and queued[-1].startswith(expected[-1]), "queued lines: %s" % queued)


def listed_sites():
    options = (ROOT / "resources" / "buildoptions.ini").read_text().splitlines()
    start = options.index("[sites]") + 1
    end = next((i for i in range(start, len(options)) if options[i].startswith("[")), len(options))
    return sum(1 for line in options[start:end] if line.lower().startswith("site="))


def startup_logs(h):
    return list(h.unix_path("C:\\users").glob("*/**/Temp/ZembricoInstall-*.log"))


