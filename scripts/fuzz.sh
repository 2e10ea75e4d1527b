#!/usr/bin/env bash
# Builds the libFuzzer target on the search (fuzz/search_fuzzer.cpp) with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer into build/fuzz, and runs it
# for a bounded time on the committed corpus fuzz/corpus.
#
#   bash scripts/fuzz.sh            run for VARNOLT_FUZZ_TIME seconds (default 60)
#   bash scripts/fuzz.sh --merge    the same, then add to fuzz/corpus (to commit)
#                                   the fewest inputs that reach the code edges
#                                   the corpus does not reach yet
#   bash scripts/fuzz.sh FILE...    run the given inputs once (a crash artifact, say)
#
# New inputs collect in build/fuzz/corpus, across runs; crash artifacts go to
# build/fuzz/artifacts, the full log to build/fuzz/fuzz.log.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

merge=no
inputs=()
for argument in "$@"; do
    case "$argument" in
        --merge) merge=yes ;;
        -*) echo "usage: bash scripts/fuzz.sh [--merge] [FILE...]" >&2; exit 2 ;;
        *) inputs+=("$(realpath "$argument")") ;;
    esac
done

ensure_fuzz_toolchain
ensure_venv cmake ninja

build="$repo/build/fuzz"
"$venv/bin/cmake" -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_MAKE_PROGRAM="$venv/bin/ninja" -DCMAKE_CXX_COMPILER="$fuzz_cxx" \
    -DVARNOLT_BUILD_EXTENSION=OFF -DVARNOLT_BUILD_FUZZER=ON >/dev/null
"$venv/bin/cmake" --build "$build"
fuzzer="$build/fuzz/search_fuzzer"

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

if [ ${#inputs[@]} -gt 0 ]; then
    exec "$fuzzer" "${inputs[@]}"
fi

# Inputs longer than 25 bytes carry nothing more (a layout byte and three
# 64-bit values). Every input has a work budget, so one that still runs for
# seconds is a finding.
options=(-max_len=32 -timeout=20 -rss_limit_mb=2048 -print_final_stats=1)
seconds=${VARNOLT_FUZZ_TIME:-60}
mkdir -p "$build/corpus" "$build/artifacts"
log="$build/fuzz.log"
echo "fuzzing the search for $seconds s (log: $log)"
if ! "$fuzzer" "${options[@]}" -max_total_time="$seconds" -artifact_prefix="$build/artifacts/" \
    "$build/corpus" "$repo/fuzz/corpus" >"$log" 2>&1; then
    tail -n 80 "$log"
    echo "error: the fuzzer found a failing input; it is in $build/artifacts/" >&2
    echo "       rerun it with: bash scripts/fuzz.sh $build/artifacts/<file>" >&2
    exit 1
fi
grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)|^#[0-9]+ +DONE' "$log"

if [ "$merge" = yes ]; then
    before=$(find "$repo/fuzz/corpus" -type f | wc -l)
    # Edges only, not hit counts: a small set that reaches every edge reached.
    "$fuzzer" -merge=1 -use_counters=0 "${options[@]}" "$repo/fuzz/corpus" "$build/corpus" >>"$log" 2>&1
    after=$(find "$repo/fuzz/corpus" -type f | wc -l)
    echo "merged $((after - before)) new inputs into fuzz/corpus ($after files)"
    if [ "$after" -gt 100 ]; then
        echo "warning: fuzz/corpus holds more than 100 files; keep the committed corpus small" >&2
    fi
fi
