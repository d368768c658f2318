#!/bin/sh
# Builds every libFuzzer target with clang into BUILD_DIR and runs each for a
# bounded time, starting from its regression inputs in fuzz/*/corpus/NAME/
# (NAME is the end of the target's name, as in fuzz_store_datafile).
#   fuzz/run.sh BUILD_DIR [SECONDS_PER_TARGET]
# New inputs go to BUILD_DIR/fuzz-corpus/TARGET/; a crash leaves its input in
# BUILD_DIR/fuzz-artifacts/ and makes the script fail.
set -eu
build=${1:?usage: run.sh BUILD_DIR [SECONDS]}
seconds=${2:-20}
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/.." && pwd)
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"

cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DTRELLANE_FUZZ=ON -DTRELLANE_GUI=OFF -DTRELLANE_TESTS=OFF -DTRELLANE_BENCH=OFF >/dev/null
targets=$(ninja -C "$build" -t targets all | sed -n 's/^\(fuzz_[a-z0-9_]*\): phony$/\1/p' | sort -u)
ninja -C "$build" -j2 $targets

mkdir -p "$build/fuzz-artifacts"
for t in $targets; do
  exe=$(find "$build/fuzz" -type f -name "$t" | head -n 1)
  work="$build/fuzz-corpus/$t"
  mkdir -p "$work"
  corpus=""
  for dir in $(find "$here" -path '*/corpus/*' -type d); do
    case "$t" in *_"$(basename "$dir")") corpus="$dir" ;; esac
  done
  log="$build/fuzz-artifacts/$t.log"
  if ! UBSAN_OPTIONS=halt_on_error=1 "$exe" \
    -max_total_time="$seconds" -max_len=8192 -rss_limit_mb=1024 -malloc_limit_mb=256 -timeout=5 \
    -print_final_stats=0 -artifact_prefix="$build/fuzz-artifacts/$t-" \
    "$work" $corpus >"$log" 2>&1; then
    cat "$log"
    echo "== $t: FAILED (input kept in $build/fuzz-artifacts/)"
    exit 1
  fi
  echo "== $t: $(grep -E '^Done [0-9]+ runs' "$log" | tail -n 1)"
done
