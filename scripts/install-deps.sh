#!/usr/bin/env bash
# Installs every Debian package QZCONVERT needs to build, test and run.
# Idempotent: packages already present are left alone and apt is only asked when something is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libicu-dev libfmt-dev
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils
  firebird3.0-server firebird3.0-examples libboost-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev libqt6svg6
  fonts-ipafont fonts-noto-cjk xvfb
  clang libclang-rt-14-dev
  lintian desktop-file-utils
)

if [ "$(id -u)" -eq 0 ]; then SUDO=(); else SUDO=(sudo); fi

missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#PACKAGES[@]} packages present"
else
  echo "install-deps: installing ${missing[*]}"
  "${SUDO[@]}" apt-get update -q
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The server-side file operations of the system database are a UDR module of ours. Firebird refuses to
# create an external procedure whose module is not loadable, so it is built and installed here, before
# any system database is created.
repo=$(cd "$(dirname "$0")/.." && pwd)
udr_dir="$(fb_config --pluginsdir)/udr"
built=$(mktemp -d)
trap 'rm -rf "$built"' EXIT
g++ -std=c++20 -O2 -Wall -Wextra -Werror -shared -fPIC \
  -o "$built/libqzfileops.so" "$repo/db/schema/udr/QzFileOps.cpp"
if ! cmp -s "$built/libqzfileops.so" "$udr_dir/libqzfileops.so"; then
  "${SUDO[@]}" install -D -m 0644 "$built/libqzfileops.so" "$udr_dir/libqzfileops.so"
  echo "install-deps: installed the UDR module into $udr_dir"
fi
