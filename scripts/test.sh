#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the plain build (gcc),
# then the sanitizer build (clang, address + undefined) that also runs each
# fuzz target over its corpus and a bounded number of fresh inputs, and
# every benchmark once, briefly.
# SANITIZE=0 skips the second build.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

if [[ "${SANITIZE:-1}" != 0 ]]; then
  CC=clang CXX=clang++ cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDIM_SANITIZE=ON -DDIM_FUZZ=ON -DDIM_BENCH=ON
  cmake --build build-san -j "$jobs"
  (cd build-san && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
     ctest --output-on-failure -j "$jobs")
fi
