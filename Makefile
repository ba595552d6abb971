# make demo   install what is missing, build, run the monitor on the simulated feed
# make check  install what is missing, build with sanitizers, run every test
# make bench  build and run the benchmarks (optimised build)
# make fuzz   run the response-parser fuzzer for five minutes (clang)
# make psdraw build the psdraw library alone (a C++17 compiler and cmake are enough)
JOBS  ?= $(shell nproc)
CMAKE ?= cmake

.PHONY: deps demo check bench fuzz psdraw clean

deps:
	@tools/install-deps.sh

demo: deps
	$(CMAKE) -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	$(CMAKE) --build build -j$(JOBS) --target linewatch
	./build/app/linewatch --demo

check: deps
	$(CMAKE) -S . -B build-check -DCMAKE_BUILD_TYPE=Debug -DLINEWATCH_SANITIZE=ON -DLINEWATCH_BENCH=OFF
	$(CMAKE) --build build-check -j$(JOBS)
	cd build-check && ctest --output-on-failure -j$(JOBS) --timeout 600

bench: deps
	$(CMAKE) -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DLINEWATCH_BENCH=ON
	$(CMAKE) --build build-bench -j$(JOBS)
	for b in build-bench/bench/*_bench; do [ -x "$$b" ] && "$$b"; done

fuzz: deps
	$(CMAKE) -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLINEWATCH_FUZZ=ON -DBUILD_TESTING=OFF -DLINEWATCH_BENCH=OFF
	$(CMAKE) --build build-fuzz -j$(JOBS) --target parse_fuzz
	mkdir -p build-fuzz/corpus
	cp tests/opendata/data/*.json build-fuzz/corpus/ 2>/dev/null || true
	build-fuzz/opendata/parse_fuzz -max_total_time=300 -max_len=65536 build-fuzz/corpus

psdraw:
	$(CMAKE) -S psdraw -B build-psdraw
	$(CMAKE) --build build-psdraw -j$(JOBS)

clean:
	rm -rf build build-check build-bench build-fuzz build-psdraw
