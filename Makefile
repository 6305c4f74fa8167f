# Every target installs what it needs first (scripts/setup.sh, quick when
# all is there). The Windows tests run the build this host can execute under
# Wine: the 32-bit product, or its 64-bit twin on kernels without 32-bit
# support (scripts/wine-arch). They get a Wine prefix of their own, so they
# never touch the settings of the program `make run` starts.
BUILD  := build
JOBS   ?= $(shell nproc)
CONFIG  = cmake -S . -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release
WINENV  = scripts/wine-env.sh
FUZZ_SECONDS ?= 180

.PHONY: all setup native asan narrow win32 win64 test test-native test-windows run \
        dist bench fuzz mutants screenshot clean

all: native win32

setup:
	@scripts/setup.sh

native: setup
	@$(CONFIG) -B $(BUILD)/native >/dev/null
	@cmake --build $(BUILD)/native -j$(JOBS)

asan: setup
	@$(CONFIG) -B $(BUILD)/asan -DVX_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD)/asan -j$(JOBS)

# The product. Its tests are built only where this host can run them.
win32: setup
	@$(CONFIG) -B $(BUILD)/win32 --toolchain cmake/mingw-i686.cmake \
	  -DVX_TESTS=$$([ "$$(scripts/wine-arch)" = win32 ] && echo ON || echo OFF) >/dev/null
	@cmake --build $(BUILD)/win32 -j$(JOBS)

win64: setup
	@$(CONFIG) -B $(BUILD)/win64 --toolchain cmake/mingw-x86_64.cmake >/dev/null
	@cmake --build $(BUILD)/win64 -j$(JOBS)

test: test-native test-windows

# The 32-bit build's kernels scan 32-byte blocks; this host may run no
# 32-bit program, so the engine's tests run them in a 64-bit build too.
narrow: setup
	@$(CONFIG) -B $(BUILD)/narrow -DVX_NARROW_BLOCKS=ON >/dev/null
	@cmake --build $(BUILD)/narrow -j$(JOBS) --target engine_tests

test-native: native asan narrow
	ctest --test-dir $(BUILD)/native --output-on-failure
	ctest --test-dir $(BUILD)/asan --output-on-failure
	ctest --test-dir $(BUILD)/narrow -R '^engine$$' --output-on-failure

test-windows: win32
	@arch=$$(scripts/wine-arch); \
	if [ "$$arch" = win64 ]; then \
	  echo "This kernel runs no 32-bit programs: the Windows tests run the 64-bit build."; \
	  $(MAKE) --no-print-directory win64 || exit 1; \
	fi; \
	VX_WINEPREFIX=$(CURDIR)/$(BUILD)/wine-test-prefix \
	  $(WINENV) --own-display ctest --test-dir $(BUILD)/$$arch --output-on-failure

run: win32
	@arch=$$(scripts/wine-arch); [ "$$arch" = win32 ] || $(MAKE) --no-print-directory win64; \
	$(WINENV) scripts/wine $(BUILD)/$$arch/app/Vantorix.exe

dist: win32 native
	@mkdir -p dist
	cp $(BUILD)/win32/app/Vantorix.exe dist/Vantorix.exe
	cp $(BUILD)/win32/cli/vantorix-count.exe dist/vantorix-count.exe
	cp $(BUILD)/native/cli/vantorix-count dist/vantorix-count

# Native figures first: the Windows benchmark states its ratio against the
# same memchr bandwidth; then each kernel before and after Word's figures
# joined the scan, natively, with 32-byte blocks, and in the Windows build
# this host runs (the product's own, where it runs 32-bit programs). The
# sampler's benchmark deletes Vantorix's settings, so it gets a Wine prefix
# of its own.
bench: native narrow
	$(BUILD)/native/bench/scan_bench --memchr_out=$(BUILD)/native/bench/memchr.txt
	$(BUILD)/native/bench/history_bench
	bench/scan_before_after.sh $(BUILD)/native
	@cmake --build $(BUILD)/narrow -j$(JOBS) --target kernel_bench
	bench/scan_before_after.sh $(BUILD)/narrow
	@arch=$$(scripts/wine-arch); $(MAKE) --no-print-directory $$arch || exit 1; \
	$(WINENV) --own-display scripts/wine $(BUILD)/$$arch/bench/scan_bench_win.exe \
	  $(BUILD)/native/bench/memchr.txt
	@arch=$$(scripts/wine-arch); \
	$(WINENV) --own-display bench/scan_before_after.sh $(BUILD)/$$arch
	@scripts/setup.sh bench
	bench/count_bench.sh $(BUILD)/native
	@arch=$$(scripts/wine-arch); VX_WINEPREFIX=$(CURDIR)/$(BUILD)/wine-bench-prefix \
	  $(WINENV) --own-display bench/file_count_bench.sh $(BUILD)/native $(BUILD)/$$arch
	@arch=$$(scripts/wine-arch); VX_WINEPREFIX=$(CURDIR)/$(BUILD)/wine-bench-prefix \
	  $(WINENV) --own-display bench/sampler_bench.sh $(BUILD)/$$arch

# Not part of test: runs for FUZZ_SECONDS, keeping its corpus between runs.
# Inputs stay short (-max_len); the target itself stretches some of them
# across the 1 MiB read chunk.
fuzz:
	@scripts/setup.sh fuzz
	@CC=clang CXX=clang++ $(CONFIG) -B $(BUILD)/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVX_FUZZ=ON -DVX_TESTS=OFF >/dev/null
	@cmake --build $(BUILD)/fuzz -j$(JOBS) --target gbk_scan_fuzz
	@mkdir -p $(BUILD)/fuzz/corpus
	$(BUILD)/fuzz/fuzz/gbk_scan_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	  -artifact_prefix=$(BUILD)/fuzz/ \
	  -print_final_stats=1 $(BUILD)/fuzz/corpus

# Not part of test: each mutant in tests/mutants/ must make its test fail.
mutants: setup
	python3 scripts/mutants.py $(BUILD)/mutants

screenshot: win32
	@arch=$$(scripts/wine-arch); [ "$$arch" = win32 ] || $(MAKE) --no-print-directory win64; \
	$(WINENV) --own-display scripts/screenshot.sh $(BUILD)/$$arch/app/Vantorix.exe docs/screenshot.png

clean:
	rm -rf $(BUILD) dist
