#!/bin/sh
# 1 GiB of GBK prose, already in the page cache, counted every way a user
# counts it, side by side with dd reading it: the native vantorix-count (on
# its first 200 MB too), vantorix-count.exe under Wine, and the window's own
# count of the file dropped and chosen in its dialog (with the worst time
# the window took to answer meanwhile). Run through scripts/wine-env.sh;
# the data is count_bench.sh's.
#   bench/file_count_bench.sh NATIVE_BUILD_DIR WINDOWS_BUILD_DIR
set -eu
native=$1
windows=$2
file=$(cd "$native/bench/count-data" && pwd)/gbk.txt
[ -s "$file" ] || { echo "file_count_bench: run bench/count_bench.sh first (it writes $file)" >&2; exit 1; }
part=${file%.txt}-200m.txt
[ -s "$part" ] || head -c 209715200 "$file" > "$part"
cat "$file" "$part" >/dev/null

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

harness() {
  scripts/wine "$windows/bench/file_count_bench_win.exe" "$(winpath "$file")" \
    "$(winpath "$(cd "$windows/cli" && pwd)/vantorix-count.exe")" "$@"
}
field() { echo "$1" | awk -v key="$2" '$1 == key { print $2 }'; }
median3() { printf '%s\n' "$@" | sort -g | sed -n 2p; }

# The machine's pace drifts over minutes, so dd and the counts are timed
# together in each of three rounds, and each ratio is the median round's.
harness >/dev/null  # first, so that Wine's start-up services have settled
r_native="" r_exe="" r_part=""
ratio_of() { echo "$1 $2" | awk '{ print $1 / $2 }'; }
echo
echo "$(($(wc -c <"$file") / 1048576)) MiB of GBK prose from the page cache ($(basename "$windows") build under Wine; best wall times, s):"
printf '  %-6s %8s %10s %20s %26s %12s %14s\n' round dd native vantorix-count.exe \
  "(of which starting it)" "200 MB: dd" native
for round in 1 2 3; do
  out=$(harness)
  t_dd=$(best dd if="$file" of=/dev/null bs=1M)
  t_native=$(best "$native/cli/vantorix-count" "$file")
  t_exe=$(field "$out" vantorix-count.exe)
  t_part_dd=$(best dd if="$part" of=/dev/null bs=1M)
  t_part=$(best "$native/cli/vantorix-count" "$part")
  printf '  %-6s %8s %10s %20s %26s %12s %14s\n' "$round" "$t_dd" "$t_native" "$t_exe" \
    "$(field "$out" exe-start)" "$t_part_dd" "$t_part"
  r_native="$r_native $(ratio_of "$t_native" "$t_dd")"
  r_exe="$r_exe $(ratio_of "$t_exe" "$t_dd")"
  r_part="$r_part $(ratio_of "$t_part" "$t_part_dd")"
done
# Wine's file dialog says on standard error that it may not read drive Z:'s
# label; the rest is kept.
window_out=$(mktemp)
trap 'rm -f "$window_out"' EXIT
harness window 2>&1 >"$window_out" | grep -v 'Read access denied for device' >&2 || true
out=$(cat "$window_out")
[ -n "$(field "$out" window-chosen)" ] || { echo "file_count_bench: the window's runs failed" >&2; exit 1; }
t_dd=$(best dd if="$file" of=/dev/null bs=1M)
t_dropped=$(field "$out" window-dropped)
t_chosen=$(field "$out" window-chosen)
t_hide=$(field "$out" wine-hide-wait)
printf '  %-40s %8s (dd just after: %s)\n' "the window, file dropped" "$t_dropped" "$t_dd"
printf '  %-40s %8s (of which Wine waiting %s s for a window manager as the dialog hides)\n' \
  "the window, file chosen in the dialog" "$t_chosen" "$t_hide"

echo "ratios (goal):"
verdict() {  # NAME RATIO GOAL
  echo "$2 $3" | awk -v name="$1" '{ printf "  %-40s %8.2f   (<= %s) %s\n", name, $1, $2, $1 <= $2 ? "met" : "MISSED" }'
}
verdict "vantorix-count / dd, median round" "$(median3 $r_native)" 1.5
verdict "  on 200 MB" "$(median3 $r_part)" 1.5
verdict "vantorix-count.exe / dd, median round" "$(median3 $r_exe)" 3
verdict "window / dd, file dropped" "$(ratio_of "$t_dropped" "$t_dd")" 3
verdict "  chosen, less Wine's wait" "$(echo "$t_chosen $t_hide $t_dd" | awk '{ print ($1 - $2) / $3 }')" 3
for how in dropped chosen; do
  field "$out" "worst-answer-$how" | awk -v how="$how" -v hide="$t_hide" '{
    printf "  %-40s %8.0f ms (<= 100) %s\n", "worst answer time, file " how, $1 * 1000,
      $1 <= 0.1 ? "met" : how == "chosen" && $1 - hide <= 0.1 ? "met but for Wine'"'"'s wait" : "MISSED" }'
done
