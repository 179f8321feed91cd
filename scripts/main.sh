#!/usr/bin/env bash
# Installs what is missing, builds, and runs the bundled game.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh default
exec ./build/player/app/run examples/sample
