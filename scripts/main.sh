#!/usr/bin/env bash
# Installs what is missing, builds, and plays the bundled demo game. Without a display the demo
# is played from its walkthrough instead, headless, and its screenshots are left on disk.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/doctor.sh
bash scripts/build.sh default
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    exec ./build/player/app/run examples/demo
fi
out=build/demo-walk
mkdir -p "$out"
echo "No display: playing examples/demo/demo.walk headless."
status=0
./build/player/app/run --walkthrough examples/demo/demo.walk --out "$out" examples/demo || status=$?
echo "Screenshots and state files: $(pwd)/$out"
exit "$status"
