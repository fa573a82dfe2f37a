#!/usr/bin/env bash
# Builds the fuzz targets with the fuzz preset (or ZENTRIK_FUZZ_PRESET), makes their seed corpora and
# runs every target for SECONDS seconds (default 20), two at a time. Fails when any target finds a
# crash, a broken property, a leak, a timeout or an out-of-memory; the input that did it is kept as an
# artifact and shown in hex.
# For a long run by hand give a bigger number: fuzz/run-all.sh 1800
# Environment: ZENTRIK_FUZZ_PRESET (default fuzz, with AddressSanitizer; fuzz-pages builds with
# UndefinedBehaviorSanitizer only, where small values live in the library's own pages rather than in
# malloc's blocks), ZENTRIK_FUZZ_BUILD_DIR (default build/PRESET), ZENTRIK_FUZZ_WORK_DIR (corpora,
# logs and artifacts; default BUILD/fuzz-run), ZENTRIK_FUZZ_JOBS (targets run side by side, default
# 2), ZENTRIK_FUZZ_TARGETS (a space-separated subset).
set -euo pipefail
seconds=${1:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
preset=${ZENTRIK_FUZZ_PRESET:-fuzz}
build=${ZENTRIK_FUZZ_BUILD_DIR:-$root/build/$preset}
work=${ZENTRIK_FUZZ_WORK_DIR:-$build/fuzz-run}
jobs=${ZENTRIK_FUZZ_JOBS:-2}

cmake --preset "$preset" -S "$root" -B "$build" >/dev/null
cmake --build "$build" --target zentrik_fuzzers
read -r -a targets <<< "${ZENTRIK_FUZZ_TARGETS:-$(tr ';' ' ' < "$build/fuzz/fuzzers.txt")}"

# Seeds are made afresh in a folder of this run's own, so that runs side by side (say, of different
# targets) leave each other's seeds and logs alone.
mkdir -p "$work/corpus" "$work/logs" "$work/artifacts"
seeds=$(mktemp -d "$work/seeds.XXXXXX")
trap 'rm -rf "$seeds"' EXIT
"$root/fuzz/make-corpus.sh" "$seeds"

run_one() {
    local t=$1
    mkdir -p "$work/corpus/$t"
    rm -f "$work/logs/$t.log"
    # The corpus grows from run to run; the seeds are read as a second folder and left as they are.
    ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0 UBSAN_OPTIONS=print_stacktrace=1 \
        "$build/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=512 \
        -max_len=8192 -print_final_stats=1 -artifact_prefix="$work/artifacts/$t-" \
        "$work/corpus/$t" "$seeds/$t" > "$work/logs/$t.log" 2>&1
}

declare -A running=()  # pid -> target
failed=()
report() {
    local t=$1 status=$2
    if [ "$status" -eq 0 ]; then
        local runs cov
        runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$work/logs/$t.log" | grep -o '[0-9]*$' || true)
        cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$work/logs/$t.log" | tail -1 || true)
        printf '%-20s ok    %12s runs   %s\n' "$t" "${runs:-?}" "$cov"
    else
        printf '%-20s FAILED (status %s, log: %s)\n' "$t" "$status" "$work/logs/$t.log"
        grep -E 'ERROR|^\*\*\* [a-z]|SUMMARY|Test unit written' "$work/logs/$t.log" | grep -v NOTE | head -12 || true
        grep -E "#[0-9]+ 0x.* in .*($root/src|$root/platform)/" "$work/logs/$t.log" | head -8 || true
        local artifact
        artifact=$(grep -o 'Test unit written to .*' "$work/logs/$t.log" | tail -1 | sed 's/^Test unit written to //')
        [ -f "$artifact" ] && echo "input (hex): $(od -An -tx1 -v "$artifact" | tr -s ' \n' ' ' | cut -c1-400)"
        failed+=("$t")
    fi
}
collect() {
    local pid status=0
    wait -n -p pid || status=$?
    report "${running[$pid]}" "$status"
    unset "running[$pid]"
}
for t in "${targets[@]}"; do
    while [ "${#running[@]}" -ge "$jobs" ]; do collect; done
    run_one "$t" &
    running[$!]=$t
done
while [ "${#running[@]}" -gt 0 ]; do collect; done

if [ "${#failed[@]}" -gt 0 ]; then
    echo "fuzzing found problems in: ${failed[*]}"
    exit 1
fi
echo "all ${#targets[@]} fuzz targets ran ${seconds}s each without a finding"
