#!/usr/bin/env bash
# Builds the project and runs every test with CTest, offscreen.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure --timeout 300
