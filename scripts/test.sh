#!/usr/bin/env bash
# Installs what the project needs, builds everything from scratch and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

./scripts/install-deps.sh

BUILD_DIR=${QZ_TEST_BUILD_DIR:-build-test}
rm -rf "$BUILD_DIR"
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD_DIR" --parallel "$(nproc)"

# The server-mode tests talk to a real Firebird server on 127.0.0.1; without one they skip and say so.
server_pid=""
if server_pid=$("$repo/scripts/firebird-server.sh" start); then
  export QZ_TEST_SERVER=127.0.0.1
else
  echo "test.sh: no Firebird server could be started; the server-mode tests will be skipped" >&2
fi
trap '"$repo/scripts/firebird-server.sh" stop "$server_pid"' EXIT

cd "$BUILD_DIR"
ctest --output-on-failure --parallel "$(nproc)"
