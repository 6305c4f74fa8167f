#!/bin/sh
# The scan's speed per kernel before and after a change of the engine: the
# same kernel benchmark built against the engine of commit BASELINE
# (default: the last one before the scan counted Word's figures) and against
# this tree, run in turns, ROUNDS times each (default 3). Prints each kernel's best
# GB/s on prose of 1 MB (in cache) and 100 MB (from memory) and the ratio
# of the times, after / before. A benchmark: it reports, never fails on a
# figure.
#   bench/scan_before_after.sh [BUILD_DIR]   (default build/native)
# BUILD_DIR may be:
#   - a native build (bench/kernel_bench.cpp);
#   - the narrow build (build/narrow: the 32-bit build's 32-byte blocks, run
#     natively): the earlier engine is built with those blocks too; it had no
#     switch for them, so its kernels' header is edited to the same effect;
#   - a Windows build (build/win32, the product, or build/win64), through
#     scripts/wine-env.sh: bench/kernel_bench_win.cpp, and the earlier engine
#     built with the same tool chain, both run under Wine.
set -eu
build=${1:-build/native}
baseline_commit=${BASELINE:-82bb710}
baseline=$build/bench/scan-baseline-$baseline_commit
narrow=$(grep -qs '^VX_NARROW_BLOCKS:BOOL=ON' "$build/CMakeCache.txt" && echo 1 || echo 0)
toolchain=$(sed -n 's|^CMAKE_TOOLCHAIN_FILE:[A-Z]*=.*\(mingw-[a-z0-9_]*\.cmake\)$|cmake/\1|p' \
  "$build/CMakeCache.txt" 2>/dev/null || true)
if [ -n "$toolchain" ]; then
  : "${WINELOADER:?run a Windows build through scripts/wine-env.sh}"
  target=kernel_bench_win exe=.exe run="$WINELOADER" libs=vx_engine
else
  target=kernel_bench exe= run= libs="vx_engine benchmark::benchmark"
fi
after=$build/bench/$target$exe
before=$baseline/build/bench/$target$exe
if [ ! -e "$before" ]; then
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
  cp "bench/$target.cpp" bench/bench_buffers.h bench/bench_timing.h "$baseline/src/bench/"
  cp tests/support/block_kernels.h "$baseline/src/tests/support/"
  # Commits before the kernel benchmarks came have no target for them.
  grep -q "add_executable($target " "$baseline/src/bench/CMakeLists.txt" ||
    cat >>"$baseline/src/bench/CMakeLists.txt" <<CMAKE
add_executable($target $target.cpp \${PROJECT_SOURCE_DIR}/tests/support/gbk_corpus.cpp)
target_link_libraries($target PRIVATE $libs)
CMAKE
  cmake -S "$baseline/src" -B "$baseline/build" -DCMAKE_BUILD_TYPE=Release -DVX_TESTS=OFF \
    ${toolchain:+--toolchain "$(cd "$baseline/src" && pwd)/$toolchain"} >/dev/null
  cmake --build "$baseline/build" --target "$target" -j"$(nproc)" >/dev/null
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
rounds=${ROUNDS:-3}
for round in $(seq "$rounds"); do
  $run "$before" 2>/dev/null | sed "s/\x1b\[[0-9;]*m//g; s/\r$//" | grep -P '^\w+\tprose [^\t/]+\t[0-9.]+$' >>"$out/before"
  $run "$after" 2>/dev/null | sed "s/\x1b\[[0-9;]*m//g; s/\r$//" | grep -P '^\w+\tprose [^\t/]+\t[0-9.]+$' >>"$out/after"
done
if [ -n "$toolchain" ]; then
  blocks="the Windows build of $toolchain, under Wine"
else
  blocks=$([ "$narrow" = 1 ] && echo "32-byte blocks" || echo "native blocks")
fi
echo "GBK scan per kernel ($blocks), best of $rounds x 10 runs, before ($baseline_commit) and after:"
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
