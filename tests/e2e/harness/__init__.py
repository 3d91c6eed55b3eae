"""The end-to-end harness: the Windows programs under Wine, played through zbdriver. Needs
DISPLAY, a Wine prefix (WINEPREFIX, default build/wine) and ImageMagick's import.

core         failures, waits, the test machine's places and names
steps        the driver's steps by name: click(ids.LICENCE), wait_box(timeout=20)
ids          control ids, exit codes and sizes as the programs' headers have them
wine         Harness: starts programs, runs steps, reads what an installation left, cleans up
collector    an analytics collection host on the loopback
installlog   the lines queued before Install.log existed
uninstall    uninstalling as the system would, and what must be gone afterwards
screenshots  what the screenshots show
runner       the command line every case script shares
"""
