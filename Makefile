# Set-up, build and test entry points. `make run` and `make check` install
# whatever is missing first, so both work on a fresh Debian machine.
JOBS ?= 2
BUILD := build
ASAN := build-asan
TSAN := build-tsan
FUZZ := build-fuzz
FUZZ_SOLVE := build-fuzz-solve
FUZZ_SECONDS ?= 60
EXAMPLE ?= examples/circle.brx
# The window tests need an X server: every test run gets its own virtual one.
XVFB := xvfb-run -a -s "-screen 0 1280x1024x24"

.PHONY: all deps build build-asan run check test test-asan test-tsan bench-threads bench-mpi crosscheck-smt2 fuzz fuzz-smt2 fuzz-solve format tidy bench bench-boundary bench-peers clean

all: build

deps:
	@bash scripts/deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Optimized $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN) -DBRIX_SANITIZE=ON -DBRIX_WERROR=ON -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(ASAN) -j $(JOBS)

run: build
	$(BUILD)/brix < $(EXAMPLE)

test: build
	$(XVFB) ctest --test-dir $(BUILD) --output-on-failure --timeout 300 -j $(JOBS)

test-asan: build-asan
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	    $(XVFB) ctest --test-dir $(ASAN) --output-on-failure --timeout 300 -j $(JOBS)

# Solvers in several threads at once under ThreadSanitizer: only the libraries
# and the thread tests are built (and the test of rank 0 of brix-mpi refining
# in a thread while it installs results).
test-tsan: deps
	cmake -S . -B $(TSAN) -DBRIX_TSAN=ON -DBRIX_WERROR=ON -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(TSAN) --target brix_thread_tests brix_mpi_jobs_tests -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 $(TSAN)/tests/Driver/brix_thread_tests
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 $(TSAN)/tests/Driver/brix_mpi_jobs_tests \
	    --gtest_filter='*Thread*'

# Every test, in the optimised build and again under the sanitizers, with
# warnings as errors.
check: deps
	$(MAKE) build CMAKE_ARGS="-DBRIX_WERROR=ON"
	$(MAKE) test
	$(MAKE) test-asan
	$(MAKE) test-tsan

# Coverage-guided fuzzing of the input parser (clang's libFuzzer), for
# FUZZ_SECONDS seconds; findings are written to build-fuzz/.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DBRIX_FUZZ=ON
	cmake --build $(FUZZ) --target brix_parser_fuzz -j $(JOBS)
	mkdir -p $(FUZZ)/corpus
	$(FUZZ)/tests/fuzz/brix_parser_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=10 -max_len=4096 \
	    -dict=tests/fuzz/parser.dict -artifact_prefix=$(FUZZ)/ $(FUZZ)/corpus tests/fuzz/corpus

# Coverage-guided fuzzing of brix-smt2's SMT-LIB 2 reader and translator
# (no solving), for FUZZ_SECONDS seconds; findings are written to build-fuzz/.
# Copy a fixed finding into tests/fuzz/smt2_corpus/: make check replays it.
fuzz-smt2: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DBRIX_FUZZ=ON
	cmake --build $(FUZZ) --target brix_smt2_fuzz -j $(JOBS)
	mkdir -p $(FUZZ)/smt2_corpus
	$(FUZZ)/tests/fuzz/brix_smt2_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=10 -max_len=4096 \
	    -dict=tests/fuzz/smt2.dict -artifact_prefix=$(FUZZ)/smt2- $(FUZZ)/smt2_corpus \
	    tests/fuzz/smt2_corpus

# Random well-formed problems solved through the library facade, every claim
# checked exactly, under the sanitizers, for FUZZ_SECONDS seconds; replay
# files of findings go to build-fuzz-solve/findings/. FUZZ_SOLVE_ARGS adds
# options (-seed S, -timeout SECS, -keep-going, -verbose; -help lists them).
fuzz-solve: deps
	cmake -S . -B $(FUZZ_SOLVE) -DBRIX_SANITIZE=ON -DBRIX_WERROR=ON -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(FUZZ_SOLVE) --target brix_solve_fuzz -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	    $(FUZZ_SOLVE)/tests/fuzz/solve/brix_solve_fuzz -seconds $(FUZZ_SECONDS) \
	    -findings $(FUZZ_SOLVE)/findings $(FUZZ_SOLVE_ARGS)

# Micro-benchmarks of the hot path, in the optimised build.
bench: build
	$(BUILD)/bench/brix_poly_bench --benchmark_min_time=0.2
	$(BUILD)/bench/brix_refine_bench --benchmark_min_time=0.5 --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

# brix with one thread and with -j 2 side by side (wall-clock seconds): run it
# alone on the machine.
bench-threads: build
	bench/threads/run.sh $(BUILD)/brix

# brix-mpi at 1 and 2 ranks beside brix, the refine time per piece and the
# cost of a message (bench/mpi/run.sh): run it alone on the machine.
bench-mpi: build
	bench/mpi/run.sh $(BUILD)

# Problems whose truth touches a boundary (bench/boundary/README.md): one line
# per problem and a count of the decided ones; fails on a wrong answer.
bench-boundary: build
	bench/boundary/run.sh $(BUILD)/brix

# BRIX beside the exact peers z3 and QEPCAD (installed here when missing, never
# by `make check`), on bench/peers/ and on the thin-region sentences of
# bench/thin/: one table each (bench/peers/README.md). PEERS_LIMIT bounds each
# run in seconds.
PEERS_LIMIT ?= 120
bench-peers: build
	@bash scripts/deps.sh z3 qepcad
	python3 bench/peers/run.py $(BUILD)/brix --limit $(PEERS_LIMIT)
	python3 bench/peers/run.py $(BUILD)/brix --set thin --limit $(PEERS_LIMIT)

# Random SMT-LIB 2 problems answered by brix-smt2 and by z3 (installed here
# when missing, never by `make check`); fails on a sat against an unsat.
# CROSSCHECK_COUNT problems from seed CROSSCHECK_SEED; findings are kept in
# build/smt2-vs-z3/.
CROSSCHECK_COUNT ?= 200
CROSSCHECK_SEED ?= 1
crosscheck-smt2: build
	@bash scripts/deps.sh z3
	python3 tests/fuzz/smt2_vs_z3.py $(BUILD)/brix-smt2 -seed $(CROSSCHECK_SEED) \
	    -count $(CROSSCHECK_COUNT) -out $(BUILD)/smt2-vs-z3

format:
	clang-format -i $$(git ls-files 'src/*.h' 'src/*.cpp' 'tests/*.h' 'tests/*.cpp' 'bench/*.cpp' 'python/*.cpp')

tidy: build
	clang-tidy -p $(BUILD) $$(git diff --name-only HEAD -- 'src/*.cpp')

clean:
	rm -rf $(BUILD) $(ASAN) $(FUZZ) $(FUZZ_SOLVE)
