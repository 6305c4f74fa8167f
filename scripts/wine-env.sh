#!/bin/sh
# Runs a command in the project's own Wine set-up:
#   - a private prefix under the build folder (never the user's), created on
#     first use with the Chinese font substitutes;
#   - the zh_CN.UTF-8 locale, so the ANSI code page is 936;
#   - one persistent Wine server for the whole command;
#   - with --own-display, a private Xvfb on a free display whose work area
#     leaves a 40-pixel strip at the top, as a desktop with a top panel has
#     it, so that window placement is never tried only from the screen's
#     corner; otherwise the caller's display, and a clear message when there
#     is none.
# Usage: scripts/wine-env.sh [--own-display] COMMAND [ARG...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

own_display=0
if [ "${1:-}" = "--own-display" ]; then own_display=1; shift; fi

export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDEBUG=-all
export WINEPREFIX="${VX_WINEPREFIX:-$root/build/wine-prefix}"
if [ "$("$here/wine-arch")" = win32 ]; then
  export WINELOADER=/usr/lib/wine/wine
else
  export WINELOADER=/usr/lib/wine/wine64
fi
export WINESERVER=/usr/lib/wine/wineserver

xvfb_pid=""
cleanup() {
  "$WINESERVER" -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT INT TERM

if [ "$own_display" = 1 ]; then
  n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  # -noreset: the server would otherwise reset, dropping the work area,
  # when its last client (xprop) leaves.
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  tries=0
  until xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ]; then echo "wine-env: Xvfb did not start" >&2; exit 1; fi
    sleep 0.1
  done
  # Wine reads the work area when it starts.
  xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA 0,40,1280,984
elif [ -z "${DISPLAY:-}" ]; then
  echo "No display: Vantorix needs an X display to show its window." >&2
  echo "Run it from a desktop session, or start one first, for example:" >&2
  echo "  Xvfb :5 & DISPLAY=:5 make run" >&2
  exit 1
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-env: creating the Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  WINEDLLOVERRIDES="mscoree,mshtml=" "$WINELOADER" wineboot -i >/dev/null 2>&1
  "$WINESERVER" -w
fi
# Dialogs ask for the font 宋体 (SimSun); show it with an installed CJK font.
cjk_font="WenQuanYi Micro Hei"
if [ "$(cat "$WINEPREFIX/.cjk-font" 2>/dev/null)" != "$cjk_font" ]; then
  for face in 宋体 SimSun 新宋体 NSimSun; do
    "$WINELOADER" reg add 'HKCU\Software\Wine\Fonts\Replacements' \
      /v "$face" /d "$cjk_font" /f >/dev/null 2>&1
  done
  # Wine's own fonts (Marlett draws the caption buttons) where it looks.
  cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  "$WINESERVER" -w
  echo "$cjk_font" > "$WINEPREFIX/.cjk-font"
fi

# Unattended runs (tests, benchmarks, screenshots): a program that crashes
# ends at once, where Wine would start its debugger and wait for someone.
if [ "$own_display" = 1 ] && [ ! -f "$WINEPREFIX/.no-debugger" ]; then
  "$WINELOADER" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
    /v Debugger /d '' /f >/dev/null 2>&1
  "$WINESERVER" -w
  touch "$WINEPREFIX/.no-debugger"
fi

"$WINESERVER" -p
# Start Wine's background services now, detached from our output: started
# by a test instead, they would inherit its output pipe and hold it open
# after the test ends.
"$WINELOADER" wineboot >/dev/null 2>&1 </dev/null
status=0
"$@" || status=$?
exit "$status"
