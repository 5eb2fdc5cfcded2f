# The commands a person types. Each installs what is missing first.
.PHONY: run test bench soak fuzz fuzz-long asan native win dist clean

run:
	@bash scripts/run.sh

test:
	@bash scripts/test.sh

native:
	@bash scripts/test.sh native

asan:
	@bash scripts/test.sh asan

win:
	@bash scripts/test.sh win

bench:
	@bash scripts/bench.sh

dist:
	@bash scripts/dist.sh

soak:
	@bash scripts/soak.sh

fuzz:
	@bash scripts/fuzz.sh

fuzz-long:
	@bash scripts/fuzz-long.sh

clean:
	rm -rf build
