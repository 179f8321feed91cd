#!/usr/bin/env bash
# Configures and builds one preset (default: "default").
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
dir=build; [ "$preset" = default ] || dir=build-$preset
[ -f "$dir/build.ninja" ] || cmake --preset "$preset" >/dev/null
cmake --build "$dir" -j "$(nproc)"
