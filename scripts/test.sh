#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test with ctest.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
jobs=$(nproc)
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUORVANE_SANITIZE=ON -DQUORVANE_WERROR=ON \
  -DQUORVANE_BUILD_TESTS=ON >/dev/null
cmake --build build-asan -j "$jobs"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 300
