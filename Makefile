# The two commands of the README, and a few for developers.
BUILD ?= build
CMAKE_FLAGS ?=
PREFIX ?= /usr/local

.PHONY: test run build deps assets clean install package web

deps:
	@tools/install-deps

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD)

test: build
	tools/run-tests $(BUILD)

run: build
	cd "$(CURDIR)" && $(BUILD)/spraywick

# DESTDIR, when given, is honoured by cmake --install.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

package: build
	cmake --build $(BUILD) --target package

assets: deps
	tools/make-assets

# The browser version in build-web/: serve that folder and open spraywick.html.
web:
	tools/install-deps web
	tools/build-web build-web

clean:
	rm -rf $(BUILD) build-web
