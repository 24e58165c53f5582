#!/usr/bin/env bash
# One entry point for building and checking the project on Debian 12.
#   ./run.sh demo   install what is needed, build, run the demo
#   ./run.sh test   install what is needed, build, run every test
#                   (normal build, ASan+UBSan build, fuzzers briefly)
#   ./run.sh bench  build and run the benchmarks
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD
JOBS=${JOBS:-$(nproc)}
FUZZ_SECONDS=${FUZZ_SECONDS:-20}

PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev
          libbenchmark-dev srecord locales pkg-config alsa-utils qt6-base-dev
          fonts-dejavu-core python3 xdg-utils ccache clang-format git)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "== installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    as_root apt-get install -y --no-install-recommends "${missing[@]}" ||
        { as_root apt-get update && as_root apt-get install -y --no-install-recommends "${missing[@]}"; }
}

# build <dir> <cmake args...>
# Compiles go through ccache, with paths taken relative to the checkout, so
# a second checkout on the same machine reuses what the first one compiled.
build() {
    local dir=$1
    shift
    local launcher=()
    if command -v ccache >/dev/null 2>&1; then
        export CCACHE_BASEDIR=$ROOT CCACHE_NOHASHDIR=1
        launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S "$ROOT" -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
    cmake --build "$dir" -j "$JOBS"
}

run_tests() {
    local dir=$1
    (cd "$dir" && ctest -j "$JOBS" --output-on-failure --timeout 300)
}

# Each fuzzer has a core of its own: they run JOBS at a time, so that none
# is slowed below what it does alone.
run_fuzzers() {
    local dir=$1 failed=0 pids=() names=()
    mkdir -p "$dir/fuzz-out"
    finish_batch() {
        local i rate
        for i in "${!pids[@]}"; do
            if wait "${pids[$i]}"; then
                # The rate is only shown: a log without one is no failure.
                rate=$(grep -o 'exec/s: [0-9]*' "$dir/fuzz-out/${names[$i]}.log" | tail -n 1 || :)
                echo "fuzz ${names[$i]}: no finding (${rate:-exec/s: ?})"
            else
                echo "fuzz ${names[$i]}: FINDING"
                tail -n 40 "$dir/fuzz-out/${names[$i]}.log"
                failed=1
            fi
        done
        pids=()
        names=()
    }
    # Each line: the fuzzer's name, then its own options.
    while read -r f options; do
        [ -n "$f" ] || continue
        local corpus="$dir/fuzz-corpus/$f"
        mkdir -p "$corpus"
        [ -d "$ROOT/tests/fuzz/corpus/$f" ] && cp -r "$ROOT/tests/fuzz/corpus/$f/." "$corpus/"
        # shellcheck disable=SC2086 # the options are separate words
        (cd "$dir/fuzz-out" &&
            "$dir/bin/$f" $options -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 \
                -print_final_stats=0 "$corpus" >"$f.log" 2>&1) &
        pids+=($!)
        names+=("$f")
        [ ${#pids[@]} -lt "$JOBS" ] || finish_batch
    done <"$dir/fuzzers.txt"
    finish_batch
    return $failed
}

# Every C and C++ source stands as the project's .clang-format lays it out;
# a missing or failing clang-format fails the check too.
check_format() {
    JOBS=$JOBS "$ROOT/tools/check-format.sh" "$ROOT"
}

cmd=${1:-}
case "$cmd" in
demo)
    install_packages
    build build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
    if [ -x tools/demo.sh ]; then
        tools/demo.sh build/release
    else
        echo "== built in build/release"
    fi
    ;;
test)
    install_packages
    echo "== format"
    check_format
    echo "== normal build"
    build build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILL_WERROR=ON
    run_tests build/release
    echo "== AddressSanitizer + UBSan build"
    build build/asan -DCMAKE_BUILD_TYPE=Debug -DQUILL_WERROR=ON -DQUILL_SANITIZE=ON \
        -DQUILL_BENCH=OFF
    # The leak checker ignores leaks inside Qt and fontconfig, nothing else.
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
        LSAN_OPTIONS=suppressions="$ROOT/tests/ui/lsan.supp":print_suppressions=0 \
        run_tests build/asan
    echo "== fuzzers (${FUZZ_SECONDS} s each)"
    CC=clang CXX=clang++ build build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILL_FUZZ=ON
    run_fuzzers "$ROOT/build/fuzz"
    echo "== all tests passed"
    ;;
bench)
    install_packages
    build build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
    for b in build/release/bin/bench_*; do
        [ -x "$b" ] && "$b"
    done
    ;;
*)
    sed -n '2,7p' "$0"
    exit 2
    ;;
esac
