#!/usr/bin/env bash
# Builds the Debian package: a Release build of the programs in build-package/, then cpack. Prints the
# package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

./scripts/install-deps.sh >&2

BUILD_DIR=${QZ_PACKAGE_BUILD_DIR:-build-package}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$repo} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
# -O2 as Debian builds its packages: at -O3 GCC 12 takes std::string's concatenation for an overlapping copy
# (a false -Wrestrict), which -Werror turns into a failed build.
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQZ_BUILD_TESTS=OFF \
  -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" >/dev/null
cmake --build "$BUILD_DIR" --parallel "${QZ_BUILD_JOBS:-$(nproc)}"
rm -f "$BUILD_DIR"/qzconvert_*.deb
(cd "$BUILD_DIR" && cpack -G DEB >/dev/null)
ls "$repo/$BUILD_DIR"/qzconvert_*.deb
