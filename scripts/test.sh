#!/usr/bin/env bash
# Installs what the project needs, builds everything from scratch and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

BUILD_DIR=${QZ_TEST_BUILD_DIR:-build-test}
rm -rf "$BUILD_DIR"
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD_DIR" --parallel "$(nproc)"
cd "$BUILD_DIR"
ctest --output-on-failure --parallel "$(nproc)"
