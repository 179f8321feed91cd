#!/usr/bin/env bash
# Runs the VBScript conformance corpus (kept next to the repository, in ../shared/vbscript-tests)
# with `vbsrun --test-host` and prints "N passed, N failed" per file. Does nothing when the
# corpus is absent. VBSRUN may name the runner; otherwise the default build's is used.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
corpus="$(dirname "$repo")/shared/vbscript-tests/corpus"
if [ ! -d "$corpus" ]; then
    echo "vbs-corpus: no corpus at $corpus, skipped"
    exit 0
fi
runner=${VBSRUN:-}
if [ -z "$runner" ]; then
    for d in build build-vbs build-asan; do
        if [ -x "$repo/$d/scripting/vbscript/vbsrun" ]; then runner="$repo/$d/scripting/vbscript/vbsrun"; break; fi
    done
fi
if [ -z "$runner" ]; then
    echo "vbs-corpus: vbsrun not built, skipped"
    exit 0
fi
status=0
for f in "$corpus"/*.vbs; do
    name=$(basename "$f")
    out=$(cd "$corpus" && timeout 120 "$runner" --test-host "$name" 2>&1)
    line=$(printf '%s\n' "$out" | grep -E "^$name: [0-9]+ passed, [0-9]+ failed" | tail -1)
    if [ -z "$line" ]; then
        echo "$name: did not finish: $(printf '%s\n' "$out" | tail -1)"
        status=1
    else
        echo "$line"
        case "$line" in *" 0 failed") ;; *) status=1 ;; esac
    fi
done
exit $status
