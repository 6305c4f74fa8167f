#!/bin/sh
# The scan's speed per kernel before and after a change of the engine: the
# same bench/kernel_bench.cpp built against the engine of commit BASELINE
# (default: the last one before the scan counted Word's figures) and against
# this tree, run in turns, three times each. Prints each kernel's best
# GB/s on prose of 1 MB (in cache) and 100 MB (from memory) and the ratio
# of the times, after / before. A benchmark: it reports, never fails on a
# figure.
#   bench/scan_before_after.sh [NATIVE_BUILD_DIR]   (default build/native)
# Given the narrow build (build/narrow: the 32-bit build's 32-byte blocks,
# run natively), it builds the earlier engine with those blocks too; that
# engine had no switch for them, so its kernels' header is edited to the
# same effect.
set -eu
build=${1:-build/native}
baseline_commit=${BASELINE:-82bb710}
baseline=$build/bench/scan-baseline-$baseline_commit
narrow=$(grep -qs '^VX_NARROW_BLOCKS:BOOL=ON' "$build/CMakeCache.txt" && echo 1 || echo 0)
after=$build/bench/kernel_bench
if [ ! -x "$baseline/build/bench/kernel_bench" ]; then
  echo "scan_before_after: building the kernels as of $baseline_commit in $baseline"
  rm -rf "$baseline" && mkdir -p "$baseline/src"
  git archive "$baseline_commit" | tar -x -C "$baseline/src"
  if [ "$narrow" = 1 ]; then
    sed -i -e 's/^using BlockMask = .*/using BlockMask = uint32_t;/' \
      -e 's/^#if defined(__x86_64__)$/#if 0  \/\/ no AVX-512 with 32-bit masks/' \
      "$baseline/src/engine/gbk_scan_kernels.h"
    grep -q '^using BlockMask = uint32_t;' "$baseline/src/engine/gbk_scan_kernels.h" &&
      grep -q '^#if 0  // no AVX-512' "$baseline/src/engine/gbk_scan_kernels.h" || {
      echo "scan_before_after: cannot give $baseline_commit's kernels 32-byte blocks" >&2
      exit 1
    }
  fi
  cp bench/kernel_bench.cpp bench/bench_buffers.h "$baseline/src/bench/"
  # Commits before kernel_bench came have no target for it.
  grep -q 'add_executable(kernel_bench' "$baseline/src/bench/CMakeLists.txt" ||
    cat >>"$baseline/src/bench/CMakeLists.txt" <<'CMAKE'
if(NOT WIN32)
  add_executable(kernel_bench kernel_bench.cpp ${PROJECT_SOURCE_DIR}/tests/support/gbk_corpus.cpp)
  target_link_libraries(kernel_bench PRIVATE vx_engine benchmark::benchmark)
endif()
CMAKE
  cmake -S "$baseline/src" -B "$baseline/build" -DCMAKE_BUILD_TYPE=Release -DVX_TESTS=OFF >/dev/null
  cmake --build "$baseline/build" --target kernel_bench -j"$(nproc)" >/dev/null
fi
before=$baseline/build/bench/kernel_bench

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for round in 1 2 3; do
  "$before" 2>/dev/null | sed "s/\x1b\[[0-9;]*m//g" | grep -P '^\w+\tprose [^\t/]+\t[0-9.]+$' >>"$out/before"
  "$after" 2>/dev/null | sed "s/\x1b\[[0-9;]*m//g" | grep -P '^\w+\tprose [^\t/]+\t[0-9.]+$' >>"$out/after"
done
blocks=$([ "$narrow" = 1 ] && echo "32-byte blocks" || echo "native blocks")
echo "GBK scan per kernel ($blocks), best of 3 x 10 runs, before ($baseline_commit) and after:"
awk -F'\t' '
  FNR == NR { key = $1 "\t" $2; if ($3 > before[key]) before[key] = $3; next }
  { key = $1 "\t" $2; if ($3 > after[key]) after[key] = $3 }
  END {
    for (key in after) {
      split(key, k, "\t")
      printf "  %-7s %-12s before %6.1f GB/s  after %6.1f GB/s  time after/before %.2f\n",
             k[1], k[2], before[key], after[key], before[key] / after[key]
    }
  }' "$out/before" "$out/after" | sort
