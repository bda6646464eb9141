#!/usr/bin/env bash
# Pictures of the wizard at work, for reviewers: installs what the project needs (Xvfb and the Japanese fonts
# included), builds the screenshot tool, and lets it drive the wizard through a conversion of the corporation
# sample into a fresh installation under a virtual X server. The four pages, the completed run, the reconciliation and the
# aggregated-accounts list are written as PNG files.
# Usage: scripts/screenshots.sh [OUTPUT-FOLDER]   (default: run/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
output=${1:-$repo/run/screenshots}

./scripts/install-deps.sh

BUILD_DIR=${QZ_BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" --parallel "$(nproc)" --target qz_wizard_screenshots qz_templates

QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
  "$BUILD_DIR/bin/qz_wizard_screenshots" "$output"
