# The two commands of the README. Both install what is missing first (scripts/setup-deps).
.PHONY: run test

# Builds and starts the program under Wine; make run ARGS='Z:\\path\\to\\archive.zip'
run:
	scripts/run-program $(ARGS)

# Builds both presets and runs every test.
test:
	scripts/test-all
