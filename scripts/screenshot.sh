#!/bin/sh
# Starts Vantorix on Wine's virtual desktop (which draws window frames, unlike
# a bare X server), waits for its window and saves a PNG of the desktop.
# Run through scripts/wine-env.sh --own-display.
# usage: screenshot.sh PROGRAM.exe OUT.png
set -eu
program=$1 out=$2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$(dirname "$out")"
"$here/wine" explorer /desktop=shot,480x420 "$program" >/dev/null 2>&1 &
pid=$!
tries=0
until xwininfo -root -tree 2>/dev/null | grep -q '"Vantorix"'; do
  tries=$((tries + 1))
  if [ "$tries" -gt 200 ]; then echo "screenshot: no Vantorix window" >&2; exit 1; fi
  sleep 0.1
done
sleep 2  # let the first paint and a few samples happen
import -display "$DISPLAY" -window root -crop 480x420+0+0 "$out"
kill "$pid" 2>/dev/null || true
echo "screenshot: $out"
