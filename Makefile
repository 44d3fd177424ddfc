# The two commands of the README. Everything else is CMake's.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
JOBS ?= 2

.PHONY: run test build deps configure install uninstall package clean

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/bin/pourvale

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

install: build
	BUILD_DIR=$(abspath $(BUILD_DIR)) scripts/install-user

uninstall:
	scripts/install-user --uninstall

# A Debian package in $(BUILD_DIR)/package/.
package: build
	rm -f $(BUILD_DIR)/package/*.deb
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf $(BUILD_DIR)
