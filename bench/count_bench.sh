#!/bin/sh
# Times vantorix-count on 1 GiB of GBK prose (and the same text in UTF-8)
# against what bounds and what rivals it: dd reading the file (the read
# bandwidth), wc -m in a GBK locale and iconv. Prints each time, the ratios
# with their goals, and vantorix-count's peak memory. A benchmark: it reports
# and never fails on a missed goal.
# Beside it, the same times for vantorix-count as it was before files were
# read by their encoding (commit BASELINE), built once from git, so the GBK
# path's cost of the encoding check shows as a ratio from one run.
#   bench/count_bench.sh [NATIVE_BUILD_DIR]   (default build/native)
set -eu
build=${1:-build/native}
count=$build/cli/vantorix-count
baseline_commit=${BASELINE:-a2a5393}
baseline=$build/bench/baseline-$baseline_commit
if [ ! -x "$baseline/build/cli/vantorix-count" ]; then
  echo "count_bench: building vantorix-count as of $baseline_commit in $baseline"
  rm -rf "$baseline" && mkdir -p "$baseline/src"
  git archive "$baseline_commit" | tar -x -C "$baseline/src"
  cmake -S "$baseline/src" -B "$baseline/build" -DCMAKE_BUILD_TYPE=Release -DVX_TESTS=OFF >/dev/null
  cmake --build "$baseline/build" --target vantorix-count -j"$(nproc)" >/dev/null
fi
old_count=$baseline/build/cli/vantorix-count
data=$build/bench/count-data
size=1073741824
mkdir -p "$data"

# Generated once; the text is the same every time.
if [ ! -s "$data/gbk.txt" ] || [ ! -s "$data/utf8.txt" ]; then
  echo "count_bench: writing 1 GiB of GBK prose and its UTF-8 form to $data"
  "$build/bench/corpus_gen" "$size" "$data/gbk.tmp" "$data/utf8.tmp"
  mv "$data/gbk.tmp" "$data/gbk.txt"
  mv "$data/utf8.tmp" "$data/utf8.txt"
fi
gbk=$data/gbk.txt
utf8=$data/utf8.txt
cat "$gbk" "$utf8" >/dev/null  # into the page cache: no disk in the timings

now() { date +%s.%N; }
# Best wall time of N runs of a command, in seconds.
best() {
  runs=$1
  shift
  b=""
  while [ "$runs" -gt 0 ]; do
    t0=$(now)
    "$@" >/dev/null 2>&1 || { echo "count_bench: failed: $*" >&2; exit 1; }
    t=$(echo "$t0 $(now)" | awk '{ printf "%.3f", $2 - $1 }')
    if [ -z "$b" ] || [ "$(echo "$t $b" | awk '{ print ($1 < $2) }')" = 1 ]; then b=$t; fi
    runs=$((runs - 1))
  done
  echo "$b"
}
wc_gbk() { LC_ALL=zh_CN.GBK wc -m "$gbk"; }
iconv_gbk() { iconv -f GBK -t UTF-8 "$gbk"; }

# The two paths must agree before their times mean anything.
if [ "$("$count" --format csv "$gbk" | tail -1 | cut -d, -f2-)" != \
     "$("$count" --format csv --encoding utf-8 "$utf8" | tail -1 | cut -d, -f2-)" ]; then
  echo "count_bench: the GBK and UTF-8 counts differ" >&2
  exit 1
fi

t_dd=$(best 5 dd if="$gbk" of=/dev/null bs=1M)
t_scan=$("$build/bench/scan_file" "$gbk")
t_count=$(best 5 "$count" "$gbk")
t_old=$(best 5 "$old_count" "$gbk")
t_count2=$(best 5 "$count" "$gbk")  # again, so a busy spell weighs on both
if [ "$(echo "$t_count2 $t_count" | awk '{ print ($1 < $2) }')" = 1 ]; then t_count=$t_count2; fi
t_utf8=$(best 2 "$count" --encoding utf-8 "$utf8")
t_utf8_auto=$(best 2 "$count" "$utf8")
t_iconv=$(best 2 iconv_gbk)
if locale -a 2>/dev/null | grep -qix 'zh_CN.gbk'; then
  t_wc=$(best 1 wc_gbk)
else
  t_wc=""
  echo "count_bench: no zh_CN.GBK locale (scripts/setup.sh bench makes it): wc -m skipped"
fi
if [ -x /usr/bin/time ]; then
  rss_idle=$(/usr/bin/time -f %M "$count" /dev/null 2>&1 >/dev/null | tail -1)
  rss=$(/usr/bin/time -f %M "$count" "$gbk" 2>&1 >/dev/null | tail -1)
  rss_utf8=$(/usr/bin/time -f %M "$count" "$utf8" 2>&1 >/dev/null | tail -1)
else
  rss_idle=""
  rss=""
  rss_utf8=""
fi

echo
echo "vantorix-count on $(($(wc -c <"$gbk") / 1048576)) MiB of GBK prose (best wall times, s):"
printf '  %-44s %8s\n' "dd bs=1M (read bandwidth)" "$t_dd" \
  "in-memory scan of the same bytes" "$t_scan" \
  "vantorix-count (GBK text, reading decided)" "$t_count" \
  "vantorix-count $baseline_commit (GBK bytes)" "$t_old" \
  "vantorix-count --encoding utf-8 (UTF-8 text)" "$t_utf8" \
  "vantorix-count (UTF-8 text, reading decided)" "$t_utf8_auto" \
  "iconv -f GBK -t UTF-8" "$t_iconv" \
  "wc -m (LC_ALL=zh_CN.GBK)" "${t_wc:-n/a}"
echo "ratios (goal):"
ratio() {  # name, numerator, denominator, goal ("<= x" or ">= x")
  if [ -z "$2" ] || [ -z "$3" ]; then printf '  %-36s %8s\n' "$1" n/a; return; fi
  echo "$2 $3 $4 $5" | awk -v name="$1" '{
    r = $1 / $2; ok = ($3 == "<=") ? r <= $4 : r >= $4
    printf "  %-36s %8.2f   (%s %s) %s\n", name, r, $3, $4, ok ? "met" : "MISSED" }'
}
ratio "vantorix-count / dd" "$t_count" "$t_dd" "<=" 1.5
ratio "GBK text: new / $baseline_commit" "$t_count" "$t_old" "<=" 1.05
echo "$t_count $t_scan" | awk '{ printf "  %-36s %8.2f   (read and counted / counted in memory on one core)\n",
  "vantorix-count / in-memory scan", $1 / $2 }'
ratio "wc -m / vantorix-count" "$t_wc" "$t_count" ">=" 50
ratio "iconv / vantorix-count" "$t_iconv" "$t_count" ">=" 15
ratio "iconv / vantorix-count utf-8 path" "$t_iconv" "$t_utf8" ">=" 1
ratio "iconv / vantorix-count utf-8 decided" "$t_iconv" "$t_utf8_auto" ">=" 1
if [ -n "$rss" ]; then
  echo "$rss $rss_utf8 $rss_idle" | awk '{
    printf "peak resident memory: %.1f MiB (gbk), %.1f MiB (utf-8)   (< 8 MiB) %s\n",
      $1 / 1024, $2 / 1024, ($1 < 8192 && $2 < 8192) ? "met" : "MISSED"
    printf "  above counting an empty file: %.1f MiB   (<= 4 MiB) %s\n",
      ($1 - $3) / 1024, ($1 - $3 <= 4096) ? "met" : "MISSED" }'
else
  echo "peak resident memory: n/a (/usr/bin/time, package time, is not installed)"
fi
