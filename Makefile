# make demo   install what is missing, build, run the monitor on the simulated feed
# make check  install what is missing, build with sanitizers, run every test
# make bench  build and run the benchmarks (optimised build)
# make fuzz   run the response-parser fuzzer for five minutes (clang)
# make psdraw build the psdraw library alone (a C++17 compiler and cmake are enough)
# make windows        cross-build linewatch.exe with MinGW-w64 (build-windows/app/linewatch.exe)
# make check-windows  cross-build the tests and run them under Wine, end-to-end run included
# make package        Debian packages linewatch, libpsdraw1, libpsdraw-dev (build-package/*.deb)
# make check-package  make package, then check the packages' contents and run the unpacked program; lintian
# make package-windows  build-windows/linewatch-<version>-win64.zip: linewatch.exe, README, licence
JOBS  ?= $(shell nproc)
CMAKE ?= cmake

.PHONY: deps deps-windows demo check windows check-windows package check-package package-windows bench fuzz psdraw clean

deps:
	@tools/install-deps.sh

deps-windows:
	@tools/install-deps.sh windows

demo: deps
	$(CMAKE) -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	$(CMAKE) --build build -j$(JOBS) --target linewatch
	./build/app/linewatch --demo

check: deps
	$(CMAKE) -S . -B build-check -DCMAKE_BUILD_TYPE=Debug -DLINEWATCH_SANITIZE=ON -DLINEWATCH_BENCH=OFF
	$(CMAKE) --build build-check -j$(JOBS)
	cd build-check && ctest --output-on-failure -j$(JOBS) --timeout 600

WINDOWS_CONFIGURE = $(CMAKE) -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	-DCMAKE_BUILD_TYPE=Release -DLINEWATCH_BENCH=OFF

windows: deps-windows
	$(WINDOWS_CONFIGURE) -DBUILD_TESTING=OFF
	$(CMAKE) --build build-windows -j$(JOBS) --target linewatch

# The end-to-end run compares linewatch.exe with the Linux build in build-check
# against the Linux feed. Wine keeps its Windows folders in build-windows/wine,
# made first without a display and without the .NET and HTML add-ons, whose
# installers would wait for a click.
WINE_PREFIX = $(CURDIR)/build-windows/wine
check-windows: deps-windows
	$(CMAKE) -S . -B build-check -DCMAKE_BUILD_TYPE=Debug -DLINEWATCH_SANITIZE=ON -DLINEWATCH_BENCH=OFF
	$(CMAKE) --build build-check -j$(JOBS) --target linewatch linewatch-feed charset_table
	$(WINDOWS_CONFIGURE) -DBUILD_TESTING=ON -DLINEWATCH_LINUX_BUILD=$(CURDIR)/build-check
	$(CMAKE) --build build-windows -j$(JOBS)
	WINEPREFIX=$(WINE_PREFIX) WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY= wineboot -i
	WINEPREFIX=$(WINE_PREFIX) wineserver -w
	cd build-windows && WINEPREFIX=$(WINE_PREFIX) WINEDEBUG=-all \
	    xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure --timeout 600
	WINEPREFIX=$(WINE_PREFIX) wineserver -k

# Installed under /usr, so the library lands in Debian's multiarch folder,
# and built with Debian's hardening flags (expanded once dpkg-dev is there).
DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
package: deps
	$(CMAKE) -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DLINEWATCH_BENCH=OFF \
	    -DCMAKE_INSTALL_PREFIX=/usr \
	    -DCMAKE_C_FLAGS="$$($(DEB_FLAGS) CFLAGS) $$($(DEB_FLAGS) CPPFLAGS)" \
	    -DCMAKE_CXX_FLAGS="$$($(DEB_FLAGS) CXXFLAGS) $$($(DEB_FLAGS) CPPFLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="$$($(DEB_FLAGS) LDFLAGS)" -DCMAKE_SHARED_LINKER_FLAGS="$$($(DEB_FLAGS) LDFLAGS)"
	$(CMAKE) --build build-package -j$(JOBS)
	cd build-package && cpack

check-package: package
	bash tests/package/check_package.sh build-package

package-windows: deps-windows
	$(WINDOWS_CONFIGURE) -DBUILD_TESTING=OFF
	$(CMAKE) --build build-windows -j$(JOBS) --target windows_zip

# Every benchmark reports the median of repeated runs, so that two runs of
# make bench agree; psdraw, raster and timetable repeat themselves more and
# print their goals last.
BENCH_FLAGS ?= --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
bench: deps
	$(CMAKE) -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DLINEWATCH_BENCH=ON
	$(CMAKE) --build build-bench -j$(JOBS)
	for b in build-bench/bench/*_bench; do [ -x "$$b" ] && "$$b" $(BENCH_FLAGS); done

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
	rm -rf build build-check build-bench build-fuzz build-windows build-psdraw build-package
