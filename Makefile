# Marrowlight: the user-facing commands. Each sets up what it needs itself.
#   make build   install what is missing, then build everything (tests too)
#   make test    build, then run every test under Wine on a private display
#   make demo    build only what the demo needs, then play the demo show
#                (build/demo.png is a screenshot)
#   make bench   build, then run the benchmarks under Wine
#   make fuzz    build, then run the long fuzzing sessions
#   make dist    build the 32-bit programs and pack them for Windows users
#                (build/marrowlight-VERSION-windows.zip)
# CTEST_ARGS passes options to CTest, e.g. make test CTEST_ARGS="-R loader".

.PHONY: all build deps prefix test demo bench fuzz dist clean

all: build

deps:
	@scripts/install-deps

build: deps
	@scripts/build

prefix: deps
	@scripts/wine-prefix

test: build prefix
	@scripts/with-display scripts/run-tests $(CTEST_ARGS)

demo: deps prefix
	@scripts/build demo
	@ML_USE_DISPLAY=1 scripts/with-display scripts/demo

bench: build prefix
	@ML_BENCH=1 scripts/with-display scripts/run-tests $(CTEST_ARGS)

fuzz: build prefix
	@ML_FUZZ_ITERATIONS=$${ML_FUZZ_ITERATIONS:-200000} scripts/with-display \
		scripts/run-tests -R "fuzz|jpeg_decode" --timeout 0 $(CTEST_ARGS)

dist: deps
	@scripts/dist

clean:
	rm -rf build
