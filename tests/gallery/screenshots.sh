#!/usr/bin/env bash
# Takes a screenshot of each gallery form: screenshots.sh GALLERY.EXE OUTPUT-FOLDER
# Needs DISPLAY (a virtual one: Xvfb) and ImageMagick's import.
set -euo pipefail
gallery=$1 out=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wine} WINEDEBUG=${WINEDEBUG:--all}
[ -n "${DISPLAY:-}" ] || { echo "screenshots: no DISPLAY" >&2; exit 1; }
mkdir -p "$out"
# The title of the window each form shows on top.
declare -A title=([controls]="Zembrico gallery" [box-two]="Quit installation"
                  [box-one]="Installing Zembrico" [box-cross]="Installing Zembrico")
failed=0
for form in controls box-two box-one box-cross; do
  ready=$out/$form.ready done=$out/$form.done
  rm -f "$ready" "$done" "$out/$form.png"
  "$root/cmake/wine-run" "$gallery" "$form" "$(winepath -w "$ready")" "$(winepath -w "$done")" &
  pid=$!
  for _ in $(seq 1200); do [ -e "$ready" ] && break; sleep 0.1; done
  [ -e "$ready" ] || { echo "screenshots: $form never became ready" >&2; kill "$pid"; exit 1; }
  import -window root "$out/$form.png"
  # The form is on screen, and drawn: its background picture alone has thousands of colours, an
  # empty screen one.
  shown=$(xdotool search --onlyvisible --name "^${title[$form]}\$" || true)
  colours=$(convert "$out/$form.png" -format %k info:)
  touch "$done"
  wait "$pid"
  rm -f "$ready" "$done"
  if [ -z "$shown" ]; then
    echo "screenshots: no window \"${title[$form]}\" on screen for $form" >&2
    failed=1
  elif [ "$colours" -le 256 ]; then
    echo "screenshots: $form.png has $colours colours: the form was not drawn" >&2
    failed=1
  else
    echo "screenshots: $out/$form.png"
  fi
done
exit $failed
