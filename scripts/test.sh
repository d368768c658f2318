#!/usr/bin/env bash
# Sets up what is missing, then builds and runs every test: the release build
# (benchmarks built, not run), the address and undefined-behaviour sanitizer
# build, the update service under the thread sanitizer, and a short bounded
# run of every fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)

echo "== Release build and tests"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRELLANE_TESTS=ON -DTRELLANE_BENCH=ON \
  -DTRELLANE_WERROR=ON >/dev/null
cmake --build build/release -j "$jobs"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
ctest --test-dir build/release --output-on-failure -j "$jobs" | tee "$log"

# The Debian package holds the program in its desktop places.
echo "== Debian package"
rm -f build/release/trellane_*.deb
(cd build/release && cpack -G DEB >/dev/null)
deb=$(ls build/release/trellane_*.deb)
dpkg-deb -I "$deb" >/dev/null
# The package carries the version the program shows.
version=$(dpkg-deb -f "$deb" Version)
grep -q "VersionText = \"$version " build/release/generated/platform/version.h ||
  { echo "package version $version differs from the program's version text"; exit 1; }
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/trellane ./usr/share/applications/ ./usr/share/icons/hicolor/scalable/apps/ ./usr/share/metainfo/; do
  grep -q " $f" <<<"$contents" || { echo "package lacks $f"; exit 1; }
done

echo "== Sanitizer build (address, undefined) and tests"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRELLANE_SANITIZE=ON \
  -DTRELLANE_TESTS=ON -DTRELLANE_BENCH=OFF -DTRELLANE_WERROR=ON >/dev/null
cmake --build build/sanitize -j "$jobs"
# Leaks inside system libraries (listed in tests/lsan.supp) are not ours.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp":print_suppressions=0 \
  ctest --test-dir build/sanitize --output-on-failure -j "$jobs" | tee -a "$log"

# The update service hands work between its transfer threads and the
# interface thread: its libraries and tests again under the thread sanitizer.
echo "== Thread sanitizer build (update service) and tests"
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRELLANE_THREAD_SANITIZE=ON \
  -DTRELLANE_TESTS=ON >/dev/null
cmake --build build/tsan -j "$jobs" --target update_tests
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir build/tsan --output-on-failure -j "$jobs" \
  -R '^(UpdateCheck|UpdateDescription|UpdateSignature|SelfInstall)\.' | tee -a "$log"

# Every reader and parser has a libFuzzer target; each runs a few seconds
# from its regression inputs.
echo "== Fuzzing"
sh fuzz/run.sh build/fuzz "${TRELLANE_FUZZ_SECONDS:-10}"
total=$(grep -oE 'tests failed out of [0-9]+' "$log" | awk '{s += $5} END {print s + 0}')
echo "== All tests passed"
echo "tests: $total passed, 0 failed"
