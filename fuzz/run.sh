#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a while, each from its seeds in fuzz/corpus/NAME/.
#
#   fuzz/run.sh BUILD_DIR [SECONDS]      SECONDS per target, 30 by default
#
# What a run learns goes to BUILD_DIR/fuzz/corpus/NAME/ (the committed seeds are only read), a
# crashing input to BUILD_DIR/fuzz/crashes/NAME/. A crash, a sanitizer's report, a broken
# property or an input slower than 30 seconds fails the run and prints how to reproduce it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: fuzz/run.sh BUILD_DIR [SECONDS]}
seconds=${2:-30}

shopt -s nullglob
targets=("$build"/fuzz/*_fuzzer)
if [ ${#targets[@]} -eq 0 ]; then
    echo "fuzz/run.sh: no fuzz targets in $build/fuzz (configure with -DNODEWISE_FUZZ=ON)" >&2
    exit 1
fi

status=0
for target in "${targets[@]}"; do
    name=$(basename "$target" _fuzzer)
    seeds="$root/fuzz/corpus/$name"
    learned="$build/fuzz/corpus/$name"
    crashes="$build/fuzz/crashes/$name"
    log="$build/fuzz/$name.log"
    if [ ! -d "$seeds" ]; then
        echo "fuzz/run.sh: $name has no seeds in fuzz/corpus/$name" >&2
        status=1
        continue
    fi
    rm -rf "$crashes"
    mkdir -p "$learned" "$crashes"
    echo "fuzzing $name for $seconds s"
    if "$target" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
        -artifact_prefix="$crashes/" "$learned" "$seeds" >"$log" 2>&1; then
        grep -E '^stat::number_of_executed_units' "$log" | sed "s/^/  $name /" || true
    else
        status=1
        echo "FUZZ FAILURE in $name; the end of its log ($log):"
        tail -n 60 "$log"
        for input in "$crashes"/*; do
            echo "reproducer: $input"
            echo "  bytes (base64): $(head -c 3000 "$input" | base64 -w0)"
            echo "  run it again:   $target $input"
        done
    fi
done
exit $status
