#!/bin/sh
# The foreground Notepad sampler's cost. With a 10 MB text in Wine's Notepad
# in front, measures Vantorix's and Notepad's CPU share over IDLE seconds in
# which nothing changes (from /proc/<pid>/stat on the Linux side: under Wine
# GetProcessTimes of another process says nothing), then how long a letter
# typed into Notepad takes to show in Vantorix, and a selection made or
# emptied (made: counted from the copy held; emptied: copied afresh, since
# typing over a selection keeps the length); then the typing delay on a
# small text, and the longest the window took to answer all the while. A
# benchmark: it reports and never fails on a missed goal (idle at most 5 %
# of a core each; a letter shown within 1 s on 10 MB; every answer within
# 100 ms).
# Run through scripts/wine-env.sh --own-display, in a Wine prefix of its
# own: it deletes Vantorix's settings.
#   bench/sampler_bench.sh WINDOWS_BUILD_DIR [VANTORIX.EXE]   (e.g. build/win32)
set -eu
build=$1
program=${2:-$build/app/Vantorix.exe}
idle=${IDLE_SECONDS:-20}
driver=$build/bench/sampler_bench_win.exe
here=$(cd "$(dirname "$0")" && pwd)
wine="$here/../scripts/wine"
winpath() { echo "Z:$(realpath "$1")" | tr / '\\'; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Linux processes of this Wine prefix (other people's Wine runs beside
# ours) whose program, the first word of the command line, ends in $1.
pids_of() {
  for p in /proc/[0-9]*; do
    { tr '\0' '\n' < "$p/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
    { tr '\0' '\n' < "$p/cmdline"; } 2>/dev/null | head -n 1 | grep -qi -- "$1\$" &&
      echo "${p#/proc/}"
  done
}
# User plus system clock ticks of the processes given, summed.
ticks() {
  t=0
  for p in "$@"; do
    # Fields 14 and 15, counted after the parenthesised command name.
    t=$((t + $(sed 's/.*) //' "/proc/$p/stat" | awk '{ print $12 + $13 }')))
  done
  echo "$t"
}
share() { echo "$1 $2" | awk -v hz="$(getconf CLK_TCK)" '{ printf "%.1f %%", 100 * ($2 - $1) / hz / '"$idle"' }'; }

# The driver's output as it comes, until it prints `$1` or ends.
wait_line() {
  while ! grep -q "^$1" "$log"; do
    if ! kill -0 "$driver_pid" 2>/dev/null; then cat "$log"; exit 1; fi
    sleep 0.2
  done
}

echo "sampler_bench: $(realpath "$program")"
# The driver stays quiet a little longer than we measure: finding the
# processes takes a moment.
"$wine" "$driver" "$(winpath "$program")" 10485760 "$((idle + 5))" 5 > "$log" 2>&1 &
driver_pid=$!
wait_line idle
vantorix=$(pids_of 'vantorix\.exe')
notepad=$(pids_of 'notepad\.exe')
server=$(pids_of 'wineserver[0-9]*')
if [ -z "$vantorix" ] || [ -z "$notepad" ]; then
  echo "sampler_bench: cannot find the Vantorix and Notepad processes" >&2
  exit 1
fi
v0=$(ticks $vantorix) n0=$(ticks $notepad) s0=$(ticks $server)
sleep "$idle"
v1=$(ticks $vantorix) n1=$(ticks $notepad) s1=$(ticks $server)
wait "$driver_pid"
sed -n '/^text:/p' "$log"
echo "idle ${idle} s, CPU share of one core: Vantorix $(share "$v0" "$v1")," \
  "Notepad $(share "$n0" "$n1"), wineserver $(share "$s0" "$s1")"
sed -n '/^letter\|^typed\|^selection\|^worst/p' "$log" | sed 's/^/10 MB: /'

"$wine" "$driver" "$(winpath "$program")" 20000 0 5 > "$log" 2>&1 || { cat "$log"; exit 1; }
sed -n '/^typed\|^worst/p' "$log" | sed 's/^/20 KB: /'
