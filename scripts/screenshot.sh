#!/bin/sh
# Starts Vantorix and, beside it, Wine's Notepad with a short Chinese text, on
# Wine's virtual desktop (which draws window frames, unlike a bare X server);
# once Vantorix has counted the Notepad text, saves a PNG of the desktop;
# then the same with Vantorix as its compact strip at 144 DPI, beside it as
# strip-144dpi.png, with a writing history of 30 days behind it and a daily
# target; then the writing record of that history, as writing-record.png.
# Run through scripts/wine-env.sh --own-display.
# usage: screenshot.sh PROGRAM.exe OUT.png
set -eu
program=$1 out=$2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$(dirname "$out")"
sample="$WINEPREFIX/drive_c/users/Public/示例.txt"
mkdir -p "$(dirname "$sample")"
printf '春眠不觉晓，处处闻啼鸟。\r\n夜来风雨声，花落知多少。\r\nSpring sleep, 20 lines.\r\n' |
  iconv -f UTF-8 -t GBK > "$sample"

wait_for_window() {
  tries=0
  until xwininfo -root -tree 2>/dev/null | grep -q "$1"; do
    tries=$((tries + 1))
    if [ "$tries" -gt 300 ]; then echo "screenshot: no window $1" >&2; exit 1; fi
    sleep 0.1
  done
}

# A first run's settings, with the window placed beside Notepad.
"$here/wine" reg delete 'HKCU\Vantorix' /f >/dev/null 2>&1 || true
"$here/wine" reg add 'HKCU\Vantorix\窗口X位置' /v 窗口X位置 /d 458 /f >/dev/null 2>&1
"$here/wine" reg add 'HKCU\Vantorix\窗口Y位置' /v 窗口Y位置 /d 20 /f >/dev/null 2>&1

"$here/wine" explorer /desktop=shot,760x500 "$program" >/dev/null 2>&1 &
wait_for_window '"Vantorix"'
"$here/wine" explorer /desktop=shot notepad.exe 'C:\users\Public\示例.txt' >/dev/null 2>&1 &
wait_for_window '记事本'
sleep 3  # a few samples of the Notepad text, and the paint
import -display "$DISPLAY" -window root -crop 760x500+0+0 "$out"
"$WINESERVER" -k
echo "screenshot: $out"

# Thirty days of writing in the sample's document, today's begun at 20 (so
# today shows 18 more once the sample's 38 are counted), and a target.
history="$WINEPREFIX/drive_c/users/${USER:-$(id -un)}/AppData/Roaming/Vantorix/history.csv"
mkdir -p "$(dirname "$history")"
{
  printf '\357\273\277日期,文档,初见合计,最新合计,净增,活跃分钟\r\n'
  for back in $(seq 29 -1 1); do
    grown=$(( (back * 7919) % 5 * 700 + 900 ))
    printf '%s,示例.txt - 记事本,0,%d,%d,%d\r\n' "$(date +%F -d "-$back days")" "$grown" "$grown" $((grown / 30))
  done
  printf '%s,示例.txt - 记事本,20,20,0,0\r\n' "$(date +%F)"
} >"$history"
"$here/wine" reg add 'HKCU\Vantorix\每日目标' /v 每日目标 /d 3000 /f >/dev/null 2>&1

# The compact strip on a display at 144 DPI (150 %), beside the same
# Notepad: Enter (the window has the keyboard focus) makes the strip.
strip="$(dirname "$out")/strip-144dpi.png"
"$here/wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
"$here/wine" reg add 'HKCU\Vantorix\窗口X位置' /v 窗口X位置 /d 300 /f >/dev/null 2>&1
"$here/wine" explorer /desktop=shot,760x440 notepad.exe 'C:\users\Public\示例.txt' >/dev/null 2>&1 &
wait_for_window '记事本'
"$here/wine" explorer /desktop=shot "$program" >/dev/null 2>&1 &
wait_for_window '"Vantorix"'
sleep 2
xdotool key Return
sleep 2
"$here/wine" explorer /desktop=shot notepad.exe 'C:\users\Public\示例.txt' >/dev/null 2>&1 &
sleep 3
import -display "$DISPLAY" -window root -crop 760x440+0+0 "$strip"
"$here/wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
"$WINESERVER" -k
echo "screenshot: $strip"

# The writing record, from the system menu (its last entries: the record,
# then About).
record="$(dirname "$out")/writing-record.png"
"$here/wine" reg add 'HKCU\Vantorix\窗口X位置' /v 窗口X位置 /d 20 /f >/dev/null 2>&1
"$here/wine" explorer /desktop=shot,760x500 "$program" >/dev/null 2>&1 &
wait_for_window '"Vantorix"'
sleep 2
xdotool key alt+space
sleep 1
xdotool key Up Up Return
wait_for_window '写作记录'
sleep 2
import -display "$DISPLAY" -window root -crop 760x500+0+0 "$record"
"$WINESERVER" -k
echo "screenshot: $record"
