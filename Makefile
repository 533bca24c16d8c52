# The two commands of the README. Both install what is missing first (scripts/setup-deps).
.PHONY: run test fuzz bench dist screenshots

# Builds and starts the program under Wine; make run ARGS='Z:\\path\\to\\archive.zip'
run:
	scripts/run-program $(ARGS)

# Builds both presets and runs every test.
test:
	scripts/test-all

# The release package: dist/VardenoView-<version>-win32.zip.
dist:
	scripts/make-dist win32

# The README's screenshots, made by the end-to-end walks: docs/screenshots/.
screenshots:
	scripts/make-screenshots

# Fuzzes the imaging parsers, each for FUZZ_SECONDS (default 60), one target at a time.
fuzz:
	scripts/fuzz-all $(FUZZ_SECONDS)

# Builds the DIB benchmarks natively (optimised) and for Windows, and runs both side by side (the
# Windows one under Wine), each beside memcpy from the same run.
bench:
	scripts/setup-deps --clang
	scripts/bench-side-by-side
