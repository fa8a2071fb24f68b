#!/usr/bin/env bash
# Builds the program and starts it on build/bin/Mortgage.mdb (a fresh file is
# written there only when there is none). Without a display it runs under Xvfb.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

[ -e build/bin/Mortgage.mdb ] || build/bin/calvora-newdb build/bin/Mortgage.mdb

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting the program under Xvfb (a virtual screen)."
    exec xvfb-run -a -s "-screen 0 1280x1024x24" build/bin/cvMortgage
fi
exec build/bin/cvMortgage
