#!/bin/sh
# Builds the four store fuzzers with clang into BUILD_DIR and runs each for a
# bounded time, starting from the regression inputs in corpus/<target>/.
#   fuzz/store/run.sh BUILD_DIR [SECONDS_PER_TARGET]
# New inputs found while running go to BUILD_DIR/fuzz-corpus/<target>/; a crash
# leaves its input in BUILD_DIR/fuzz-artifacts/ and makes the script fail.
set -eu
build=${1:?usage: run.sh BUILD_DIR [SECONDS]}
seconds=${2:-20}
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"

cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DTRELLANE_FUZZ=ON -DTRELLANE_TESTS=OFF -DTRELLANE_BENCH=OFF >/dev/null
targets="datafile config transit_export project_export"
ninja -C "$build" -j2 $(for t in $targets; do printf 'fuzz_store_%s ' "$t"; done)

mkdir -p "$build/fuzz-artifacts"
for t in $targets; do
  work="$build/fuzz-corpus/$t"
  mkdir -p "$work"
  echo "== fuzz_store_$t: ${seconds}s"
  UBSAN_OPTIONS=halt_on_error=1 "$build/fuzz/store/fuzz_store_$t" \
    -max_total_time="$seconds" -max_len=8192 -rss_limit_mb=1024 -malloc_limit_mb=256 -timeout=5 \
    -print_final_stats=0 -artifact_prefix="$build/fuzz-artifacts/$t-" \
    "$work" "$here/corpus/$t"
done
