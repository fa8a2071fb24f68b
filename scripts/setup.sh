#!/usr/bin/env bash
# Installs the Debian packages the build needs (when any is missing) and
# configures and builds the project in build/. Sourced by run.sh and test.sh.
set -euo pipefail

PACKAGES=(cmake g++ make qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libsqlite3-dev qt6-charts-dev libqt6opengl6-dev poppler-utils
          xvfb xauth fonts-liberation fonts-dejavu-core)

missing=()
for package in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

BUILD_DIR=${BUILD_DIR:-build}
BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE="$BUILD_TYPE" ${CMAKE_EXTRA_ARGS:-}
cmake --build "$BUILD_DIR" -j"$(nproc)"
