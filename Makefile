# From a fresh clone:
#   make test   builds the sanitizer configuration and runs every test (ctest)
#   make demo   builds the release configuration and runs the demo
# Both install missing Debian packages when run as root, else print the
# apt-get line to run.

PACKAGES := cmake make g++ libsqlite3-dev libgtest-dev libgmock-dev libbenchmark-dev \
            nlohmann-json3-dev libcli11-dev clang-format
JOBS ?= 2

.PHONY: all deps test build-test demo build-release bench format clean

all: build-release

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing; \
	  else \
	    echo "Missing packages. Run:"; \
	    echo "  sudo apt-get update && sudo apt-get install -y$$missing"; \
	    exit 1; \
	  fi; \
	fi

build-test: deps
	cmake --preset test
	cmake --build --preset test -j $(JOBS)

test: build-test
	ctest --preset test -j $(JOBS)

build-release: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

demo: build-release
	bash tools/demo.sh build/release

bench: deps
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DKV_BUILD_TESTS=OFF -DKV_BUILD_BENCHMARKS=ON
	cmake --build build/bench -j $(JOBS)

format:
	find platform emulation tools tests conduit_framework journal_conduit appointment_conduit \
	  patient_conduit rx_conduit mobile_setup bench -name '*.cpp' -o -name '*.h' 2>/dev/null \
	  | xargs -r clang-format -i

clean:
	rm -rf build
