#!/usr/bin/env bash
# Installs what the project needs, builds everything from scratch and runs every test.
#
#   scripts/test.sh              the normal build (build-test/): every test, the fuzz targets' replay, then
#                                the unit tests once more built with AddressSanitizer and
#                                UndefinedBehaviorSanitizer (build-sanitize/)
#   scripts/test.sh --sanitize   everything built with those sanitizers (build-sanitize/), every test there
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

sanitize=false
case "${1:-}" in
  "") ;;
  --sanitize) sanitize=true ;;
  *) echo "usage: scripts/test.sh [--sanitize]" >&2; exit 2 ;;
esac

./scripts/install-deps.sh

# Compiler cache entries are keyed by paths relative to the checkout, so that a fresh clone elsewhere
# finds what an earlier build of the same sources compiled.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$repo} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}

# configure_fresh FOLDER [CMAKE OPTION...]: an empty build folder configured for Ninja.
configure_fresh() {
  local folder=$1
  shift
  rm -rf "$folder"
  cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
}

SANITIZE_DIR=${QZ_SANITIZE_BUILD_DIR:-build-sanitize}
if [ "$sanitize" = true ]; then
  BUILD_DIR=$SANITIZE_DIR
  configure_fresh "$BUILD_DIR" -DQZ_SANITIZE=ON
else
  BUILD_DIR=${QZ_TEST_BUILD_DIR:-build-test}
  configure_fresh "$BUILD_DIR"
fi
cmake --build "$BUILD_DIR" --parallel "$(nproc)"

# The server-mode tests talk to a real Firebird server on 127.0.0.1. A server that does not start fails the
# run, so that CI is never green with every server path untried. On a developer machine without a usable
# server, QZ_SKIP_SERVER_TESTS=1 skips those tests instead; CI=true ignores it.
skip_server_tests=false
if [ "${QZ_SKIP_SERVER_TESTS:-}" = 1 ]; then
  if [ "${CI:-}" = true ]; then
    echo "test.sh: QZ_SKIP_SERVER_TESTS is ignored because CI=true" >&2
  else
    skip_server_tests=true
    unset QZ_TEST_SERVER
  fi
fi
server_pid=""
if [ "$skip_server_tests" = false ]; then
  if ! server_pid=$("$repo/scripts/firebird-server.sh" start); then
    echo "test.sh: no Firebird server could be started (its log is above); on a developer machine," \
      "QZ_SKIP_SERVER_TESTS=1 skips the server-mode tests" >&2
    exit 1
  fi
  export QZ_TEST_SERVER=127.0.0.1
  trap '"$repo/scripts/firebird-server.sh" stop "$server_pid"' EXIT
fi

status=0
(cd "$BUILD_DIR" && ctest --output-on-failure --parallel "$(nproc)") || status=$?
if [ "$sanitize" = false ]; then
  # Every fuzz target once over its seeds and the inputs that once found a fault (seconds once built).
  "$repo/scripts/fuzz.sh" --replay || status=1
  # The unit tests once more under the sanitizers (the whole suite there: scripts/test.sh --sanitize).
  configure_fresh "$SANITIZE_DIR" -DQZ_SANITIZE=ON >/dev/null
  cmake --build "$SANITIZE_DIR" --parallel "$(nproc)" --target qz_unit_tests
  (cd "$SANITIZE_DIR" && ctest --output-on-failure --parallel "$(nproc)" -L unit) || status=1
fi
if [ "$skip_server_tests" = true ]; then
  echo "test.sh: the server-mode tests were SKIPPED (QZ_SKIP_SERVER_TESTS=1): no server path was tried" >&2
fi
exit "$status"
