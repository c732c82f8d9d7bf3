#!/usr/bin/env bash
# Set-up, build and run in one step on Debian 12.
#   bash tools/dev.sh run    install what is missing, build, start Permuto
#   bash tools/dev.sh test   install what is missing, build with sanitizers, run every test
#                            (the fuzz targets for FUZZ_SECONDS each, 60 by default, from
#                            seed FUZZ_SEED, 1 by default; 0 picks a fresh seed; the core's
#                            tests once more under ThreadSanitizer)
#   bash tools/dev.sh web    install what is missing, build the browser page into build/web/ (a static
#                            site: python3 -m http.server in that folder serves it)
#   bash tools/dev.sh web-test   the same, and run the page's browser tests (test runs them too)
#   bash tools/dev.sh bench  install what is missing, build optimised, run the benchmarks
#   bash tools/dev.sh package   install what is missing, build a release and the Debian package
#                            build/package/permuto_*.deb, and check it
#   bash tools/dev.sh windows   install what is missing, cross-build the core and permuto-cli.exe
#                            for Windows, run their tests under Wine, and compare its output
#                            with the Linux build's on the sample patches
# Packages are installed with apt-get, through sudo when not run as root.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"

run_packages=(cmake ninja-build g++ qt6-base-dev libjpeg62-turbo-dev libcli11-dev)
package_packages=("${run_packages[@]}" dpkg-dev lintian desktop-file-utils appstream)
test_packages=("${package_packages[@]}" googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev)
web_packages=(cmake ninja-build emscripten node-acorn)
web_test_packages=("${web_packages[@]}" chromium)
windows_packages=(cmake ninja-build g++ libcli11-dev googletest g++-mingw-w64-x86-64-posix wine64 qt6-base-dev libjpeg62-turbo-dev)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
    local missing=()
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
            missing+=("$p")
        fi
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

jobs=$(nproc 2>/dev/null || echo 2)

# A release built as Debian builds its packages (its hardening flags), the
# package made by CPack and checked.
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
build_package() {
    cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DPERMUTO_BUILD_TESTS=OFF \
        -DCMAKE_INSTALL_PREFIX=/usr \
        -DCMAKE_CXX_FLAGS="$(flags CXXFLAGS) $(flags CPPFLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)"
    cmake --build build/package -j "$jobs"
    rm -f build/package/permuto_*.deb
    (cd build/package && cpack -G DEB > /dev/null)
    bash tests/PackageTest.sh build/package/permuto_*.deb
}

# permuto-cli for Linux, to compare other builds with: the test build's when
# there is one (the core is not compiled once more), otherwise a build of its
# own. Prints its path; the build's own output goes to standard error.
linux_cli() {
    if [ ! -x build/test/cli/permuto-cli ]; then
        cmake -S . -B build/cli -G Ninja -DCMAKE_BUILD_TYPE=Release -DPERMUTO_BUILD_APP=OFF -DPERMUTO_BUILD_TESTS=OFF >&2
        cmake --build build/cli -j "$jobs" >&2
        echo build/cli/cli/permuto-cli
    else
        echo build/test/cli/permuto-cli
    fi
}

# The page: the core compiled by Debian's emscripten, whose system libraries
# come prebuilt and frozen in its own cache (/usr/share/emscripten/cache):
# nothing is compiled into a cache of the user's. Its JavaScript optimiser
# needs Debian's acorn, which a node from elsewhere does not look for.
build_web() {
    install_missing "${web_packages[@]}"
    export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
    emcmake cmake -S . -B build/wasm -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel -DPERMUTO_BUILD_WEB=ON \
        -DPERMUTO_ONE_THREAD=ON -DPERMUTO_WERROR=ON -DPERMUTO_BUILD_APP=OFF -DPERMUTO_BUILD_CLI=OFF \
        -DPERMUTO_BUILD_TESTS=OFF -DPERMUTO_WEB_SITE="$here/build/web"
    cmake --build build/wasm -j "$jobs"
    echo "The page: $here/build/web ($(du -cb build/web/index.html build/web/*.js build/web/*.css \
        build/web/*.wasm build/web/resources/* | tail -1 | cut -f1) bytes)"
}

# The page's browser tests: the system's chromium, driven by the npm
# packages of package-lock.json; the page's downloads are compared with
# permuto-cli's output (CLI, built here when not given).
web_tests() {
    local cli="${1:-}"
    install_missing "${web_test_packages[@]}"
    command -v npm > /dev/null || install_missing npm
    [ -n "$cli" ] || cli=$(linux_cli)
    npm ci --no-audit --no-fund
    PERMUTO_SITE=build/web PERMUTO_CLI="$cli" node --test tests/web/
}

case "${1:-}" in
web)
    build_web
    ;;
web-test)
    build_web
    web_tests
    ;;
run)
    install_missing "${run_packages[@]}"
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPERMUTO_BUILD_TESTS=OFF
    cmake --build build/release -j "$jobs"
    # A first start shows the job at once: a voice wired against the flow.
    exec build/release/app/permuto "${2:-examples/voice-against-the-flow.pch}"
    ;;
package)
    install_missing "${package_packages[@]}"
    build_package
    ;;
test)
    install_missing "${test_packages[@]}"
    # libFuzzer targets need clang; they run first, the main suite's summary comes last.
    CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPERMUTO_SANITIZE=ON \
        -DPERMUTO_WERROR=ON -DPERMUTO_BUILD_FUZZ=ON -DPERMUTO_BUILD_TESTS=OFF -DPERMUTO_BUILD_APP=OFF -DPERMUTO_BUILD_CLI=OFF \
        -DFUZZ_SECONDS="${FUZZ_SECONDS:-60}" -DFUZZ_SEED="${FUZZ_SEED:-1}"
    cmake --build build/fuzz -j "$jobs"
    # The core's tests under ThreadSanitizer: loads read on two threads.
    cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPERMUTO_SANITIZE_THREAD=ON \
        -DPERMUTO_WERROR=ON -DPERMUTO_BUILD_APP=OFF -DPERMUTO_BUILD_CLI=OFF
    cmake --build build/tsan -j "$jobs"
    cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPERMUTO_SANITIZE=ON -DPERMUTO_WERROR=ON \
        -DPERMUTO_BUILD_BENCH=ON
    cmake --build build/test -j "$jobs"
    (cd build/fuzz && ctest --output-on-failure -j "$jobs")
    (cd build/tsan && ctest --output-on-failure -j "$jobs")
    build_package
    # The page, built and tried in a browser against the test build's permuto-cli.
    build_web
    web_tests build/test/cli/permuto-cli
    cd build/test
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs"
    ;;
bench)
    install_missing "${test_packages[@]}"
    cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DPERMUTO_BUILD_TESTS=OFF -DPERMUTO_BUILD_BENCH=ON
    cmake --build build/bench -j "$jobs"
    build/bench/bench/permuto_bench --benchmark_counters_tabular=true
    build/bench/bench/permuto_cold_bench build/bench/cli/permuto-cli 100000 --linearity
    QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" build/bench/bench/permuto_window_bench
    ;;
windows)
    install_missing "${windows_packages[@]}"
    cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/MinGW.cmake -DCMAKE_BUILD_TYPE=Release \
        -DPERMUTO_WERROR=ON -DPERMUTO_BUILD_APP=OFF -DPERMUTO_CHECK_WINDOW_SOURCES=ON
    cmake --build build/windows -j "$jobs"
    # The same tool for Linux, to compare with.
    linux_cli=$(linux_cli)
    # Wine keeps its Windows folders in the build tree, not in the user's home,
    # and makes no menu entries or file associations there (winemenubuilder);
    # no .NET or browser engine: nothing here needs them, and Wine would offer
    # to fetch them.
    export WINEPREFIX="$here/build/windows/wine" WINEDEBUG=-all WINE=/usr/lib/wine/wine64 \
        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    # The first start sets the folders up; the tests start once it is done
    # (a command shell started meanwhile may misread its command line).
    "$WINE" cmd /c exit > /dev/null 2>&1 || true
    /usr/lib/wine/wineserver -w
    # A test program that fails is run once more: Wine itself now and then fails
    # to start a process on a busy machine; a fault of ours fails twice.
    (cd build/windows && ctest --output-on-failure --repeat until-pass:2)
    bash tests/SameOnWindows.sh "$linux_cli" build/windows/cli/permuto-cli.exe tests/data/*.pch examples/*.pch
    echo "permuto-cli.exe: $here/build/windows/cli/permuto-cli.exe"
    ;;
*)
    echo "usage: bash tools/dev.sh run|test|web|web-test|bench|package|windows" >&2
    exit 2
    ;;
esac
