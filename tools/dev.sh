#!/usr/bin/env bash
# Set-up, build and run in one step on Debian 12.
#   bash tools/dev.sh run    install what is missing, build, start Permuto
#   bash tools/dev.sh test   install what is missing, build with sanitizers, run every test
# Packages are installed with apt-get, through sudo when not run as root.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"

run_packages=(cmake ninja-build g++ qt6-base-dev libjpeg62-turbo-dev)
test_packages=("${run_packages[@]}" googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev)

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

case "${1:-}" in
run)
    install_missing "${run_packages[@]}"
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPERMUTO_BUILD_TESTS=OFF
    cmake --build build/release -j "$jobs"
    exec build/release/app/permuto
    ;;
test)
    install_missing "${test_packages[@]}"
    cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPERMUTO_SANITIZE=ON -DPERMUTO_WERROR=ON
    cmake --build build/test -j "$jobs"
    cd build/test
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs"
    ;;
*)
    echo "usage: bash tools/dev.sh run|test" >&2
    exit 2
    ;;
esac
