# The two commands a newcomer needs:
#   make run    installs what is missing, builds, and starts Kelpo
#   make test   installs what is missing, builds (with sanitizers), and runs every test
#   make check       the unit and widget tests only: seconds, for the edit-compile-test loop
#   make install     builds and installs into PREFIX (default /usr/local), under DESTDIR if set
#   make uninstall   removes what the last make install put in place
#   make package     builds the Debian package in build/dev
#   make screenshots renews the pictures in docs/screenshots from the real program
# A second run only rebuilds what changed.

BUILD_PKGS := g++ make cmake pkg-config qt6-base-dev qt6-base-dev-tools libx11-dev libxtst-dev \
              libwayland-dev libxkbcommon-dev libgtest-dev libgmock-dev
RUN_PKGS   := xdg-utils x11-utils qt6-wayland
TEST_PKGS  := xvfb openbox xdotool trayer x11-xkb-utils x11-utils x11-xserver-utils imagemagick xauth \
              python3 chromium firefox-esr sway
# The validators and Debian tools the install and package tests use.
INSTALL_TEST_PKGS := desktop-file-utils appstream dpkg-dev file
JOBS       ?= $(shell nproc)
SUDO       := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

DEV_DIR  := build/dev
TEST_DIR := build/test

.PHONY: run test check build build-test deps deps-test bench format clean install uninstall \
        package screenshots

define install_missing
	@missing=$$(for p in $(1); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
endef

deps:
	$(call install_missing,$(BUILD_PKGS) $(RUN_PKGS))

deps-test: deps
	$(call install_missing,$(TEST_PKGS))
	$(call install_missing,$(INSTALL_TEST_PKGS))

$(DEV_DIR)/CMakeCache.txt:
	cmake -S . -B $(DEV_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELPO_TESTS=OFF

$(TEST_DIR)/CMakeCache.txt:
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DKELPO_SANITIZE=ON

build: deps $(DEV_DIR)/CMakeCache.txt
	cmake --build $(DEV_DIR) -j $(JOBS) --target kelpo minimal_window

build-test: deps-test $(TEST_DIR)/CMakeCache.txt
	cmake --build $(TEST_DIR) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "Kelpo needs a graphical display; none is set. Run it under a virtual display with: xvfb-run -a $(DEV_DIR)/kelpo"; \
	  exit 1; \
	fi
	$(DEV_DIR)/kelpo $(ARGS)

test: build-test
	cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)

check: deps $(TEST_DIR)/CMakeCache.txt
	cmake --build $(TEST_DIR) -j $(JOBS) --target check_tests
	cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS) -L '^(unit|gui)$$'

bench: build build-test
	bench/startup.sh $(DEV_DIR)
	bench/typing.sh $(DEV_DIR)
	bench/editor.sh $(DEV_DIR)
	bench/browsers.sh $(DEV_DIR) $(TEST_DIR)
	bench/wayland.sh $(DEV_DIR) $(TEST_DIR)

PREFIX  ?= /usr/local
DESTDIR ?=

# Installs as the user when the prefix is writable, else through sudo.
install: build
	@dest="$(DESTDIR)$(PREFIX)"; mkdir -p "$$dest" 2>/dev/null; sudo=; [ -w "$$dest" ] || sudo="$(SUDO)"; \
	$$sudo env DESTDIR="$(DESTDIR)" cmake --install $(DEV_DIR) --prefix "$(PREFIX)"

uninstall:
	@sudo=; [ -w "$(DEV_DIR)/install_manifest.txt" ] && [ -w "$(DESTDIR)$(PREFIX)" ] || sudo="$(SUDO)"; \
	$$sudo env DESTDIR="$(DESTDIR)" cmake -DMANIFEST=$(DEV_DIR)/install_manifest.txt -P cmake/Uninstall.cmake

package: build
	$(call install_missing,dpkg-dev)
	cd $(DEV_DIR) && cpack -G DEB
	@ls $(DEV_DIR)/*.deb

screenshots: deps-test $(TEST_DIR)/CMakeCache.txt
	cmake --build $(TEST_DIR) -j $(JOBS) --target kelpo makeentry formtarget layoutprobe
	tools/screenshots.sh $(TEST_DIR)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
