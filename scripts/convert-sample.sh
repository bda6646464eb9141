#!/usr/bin/env bash
# The main command: installs what the project needs, builds the command-line converter, creates an
# installation of the target product in run/ of the checkout, writes the sample extracts and converts one of
# them (the corporation unless another sample is named), printing what was converted.
# Usage: scripts/convert-sample.sh [corporation|individual-general|individual-realestate]
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
sample=${1:-corporation}

./scripts/install-deps.sh

BUILD_DIR=${QZ_BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" --parallel "$(nproc)" --target qzconvert-cli qzconvert qzconvert2 qz_make_samples qz_templates
cli="$repo/$BUILD_DIR/bin/qzconvert-cli"

# A fresh installation each time: the common application data and documents folders of the converter
# lie in run/, so nothing outside the checkout is touched.
run="$repo/run"
rm -rf "$run"
mkdir -p "$run/documents"
export QZ_COMMON_APPDATA="$run/common" QZ_DOCUMENTS="$run/documents"

"$cli" target-init --rows 20
"$BUILD_DIR/bin/qz_make_samples" "$run/samples"
echo
"$cli" convert "$run/samples/$sample" --aggregated-csv "$run/documents"
