#!/bin/sh
# Builds the clipboard-text fuzzer with clang into BUILD_DIR and runs it for a
# bounded time, starting from the regression inputs in corpus/clipboard/.
#   fuzz/editor/run.sh BUILD_DIR [SECONDS]
# New inputs go to BUILD_DIR/fuzz-corpus/clipboard/; a crash leaves its input
# in BUILD_DIR/fuzz-artifacts/ and makes the script fail.
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
ninja -C "$build" -j2 fuzz_editor_clipboard

work="$build/fuzz-corpus/clipboard"
mkdir -p "$work" "$build/fuzz-artifacts"
echo "== fuzz_editor_clipboard: ${seconds}s"
UBSAN_OPTIONS=halt_on_error=1 "$build/fuzz/editor/fuzz_editor_clipboard" \
  -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=1024 -malloc_limit_mb=256 -timeout=5 \
  -print_final_stats=0 -artifact_prefix="$build/fuzz-artifacts/clipboard-" \
  "$work" "$here/corpus/clipboard"
