# The two commands of the README, and a few for developers.
BUILD ?= build
CMAKE_FLAGS ?=

.PHONY: test run build deps assets clean web

deps:
	@tools/install-deps

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD)

test: build
	tools/run-tests $(BUILD)

run: build
	cd "$(CURDIR)" && $(BUILD)/spraywick

assets: deps
	tools/make-assets

# The browser version in build-web/: serve that folder and open spraywick.html.
web:
	tools/install-deps web
	tools/build-web build-web

clean:
	rm -rf $(BUILD) build-web
