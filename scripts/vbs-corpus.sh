#!/usr/bin/env bash
# Runs the VBScript conformance corpus (kept next to the repository, in ../shared/vbscript-tests)
# with `vbsrun --test-host` and prints the passed and failed counts per file next to the file's
# floor: the run fails when a file passes fewer checks or fails more than its floor allows (or
# does not finish). Does nothing when the corpus is absent. VBSRUN may name the runner;
# otherwise the default build's is used.
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
# Floors: "passed failed" per file. Raise them when the engine gets better, never lower them.
declare -A floor=(
    [lang.vbs]="674 1"
    [api.vbs]="1689 12"
    [error.vbs]="127 0"
    [regexp.vbs]="106 0"
    [noexplicit.vbs]="4 0"
)
status=0
for name in "${!floor[@]}"; do
    if [ ! -f "$corpus/$name" ]; then
        echo "$name: missing from the corpus"
        status=1
    fi
done
for f in "$corpus"/*.vbs; do
    name=$(basename "$f")
    out=$(cd "$corpus" && timeout 120 "$runner" --test-host "$name" 2>&1)
    line=$(printf '%s\n' "$out" | grep -E "^$name: [0-9]+ passed, [0-9]+ failed" | tail -1)
    if [ -z "$line" ]; then
        echo "$name: did not finish: $(printf '%s\n' "$out" | tail -1)"
        status=1
    else
        read -r passed failed < <(printf '%s\n' "$line" | sed -E 's/.*: ([0-9]+) passed, ([0-9]+) failed.*/\1 \2/')
        if [ -n "${floor[$name]:-}" ]; then
            read -r minPassed maxFailed <<<"${floor[$name]}"
        else
            minPassed=0 maxFailed=0
        fi
        verdict="floor $minPassed/$maxFailed held"
        if [ "$passed" -lt "$minPassed" ] || [ "$failed" -gt "$maxFailed" ]; then
            verdict="BELOW the floor of $minPassed passed, $maxFailed failed"
            status=1
        fi
        echo "$line ($verdict)"
    fi
done
exit $status
