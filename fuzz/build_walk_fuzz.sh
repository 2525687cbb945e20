#!/usr/bin/env bash
# Builds the walk fuzz target with clang, libFuzzer, ASan and UBSan, from the
# core's POSIX sources, into BUILD_DIR (default build-fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build-fuzz}
mkdir -p "$out"
sources=$(ls startup/*.cpp archive/*.cpp inflate/*.cpp integrity/*.cpp platform/*.cpp \
  platform/posix/*.cpp | grep -v '_win32\.cpp$')
clang++ -std=c++17 -g -O1 -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  $sources fuzz/walk_fuzz.cpp -o "$out/walk_fuzz" ${QP_FUZZ_EXTRA_LIBS:-}
echo "$out/walk_fuzz"
