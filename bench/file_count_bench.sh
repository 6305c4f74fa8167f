#!/bin/sh
# 1 GiB of GBK prose, already in the page cache, counted every way a user
# counts it, side by side with dd reading it: the native vantorix-count,
# vantorix-count.exe under Wine, and the window's own count of the dropped
# file (with the worst time the window took to answer meanwhile). Run
# through scripts/wine-env.sh; the data is count_bench.sh's.
#   bench/file_count_bench.sh NATIVE_BUILD_DIR WINDOWS_BUILD_DIR
set -eu
native=$1
windows=$2
file=$(cd "$native/bench/count-data" && pwd)/gbk.txt
[ -s "$file" ] || { echo "file_count_bench: run bench/count_bench.sh first (it writes $file)" >&2; exit 1; }
cat "$file" >/dev/null

now() { date +%s.%N; }
best() {  # best wall time of 5 runs of a command
  b=""
  for run in 1 2 3 4 5; do
    t0=$(now)
    "$@" >/dev/null 2>&1
    t=$(echo "$t0 $(now)" | awk '{ printf "%.3f", $2 - $1 }')
    if [ -z "$b" ] || [ "$(echo "$t $b" | awk '{ print ($1 < $2) }')" = 1 ]; then b=$t; fi
  done
  echo "$b"
}
winpath() { echo "Z:$1" | tr / '\\'; }

out=$(scripts/wine "$windows/bench/file_count_bench_win.exe" "$(winpath "$file")" \
  "$(winpath "$(cd "$windows/cli" && pwd)/vantorix-count.exe")")
t_exe=$(echo "$out" | awk '$1 == "vantorix-count.exe" { print $2 }')
t_start=$(echo "$out" | awk '$1 == "exe-start" { print $2 }')
t_window=$(echo "$out" | awk '$1 == "window" { print $2 }')
t_worst=$(echo "$out" | awk '$1 == "worst-answer" { print $2 }')
# After Wine's part: the prefix's start-up services are idle by then.
t_dd=$(best dd if="$file" of=/dev/null bs=1M)
t_native=$(best "$native/cli/vantorix-count" "$file")

echo
echo "$(($(wc -c <"$file") / 1048576)) MiB of GBK prose from the page cache ($(basename "$windows") build under Wine; best wall times, s):"
printf '  %-40s %8s\n' "dd bs=1M" "$t_dd" "vantorix-count (native)" "$t_native" \
  "vantorix-count.exe" "$t_exe" "  of which starting it (an empty file)" "$t_start" \
  "the window, file dropped" "$t_window"
echo "ratios (goal):"
ratio() {
  echo "$2 $3 $4" | awk -v name="$1" '{ r = $1 / $2
    printf "  %-40s %8.2f   (<= %s) %s\n", name, r, $3, r <= $3 ? "met" : "MISSED" }'
}
ratio "vantorix-count / dd" "$t_native" "$t_dd" 1.5
ratio "vantorix-count.exe / dd" "$t_exe" "$t_dd" 3
ratio "window / dd" "$t_window" "$t_dd" 5
echo "$t_worst" | awk '{ printf "  %-40s %8.0f ms (<= 100) %s\n", "worst answer time during the count",
  $1 * 1000, $1 <= 0.1 ? "met" : "MISSED" }'
