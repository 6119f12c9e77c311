#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything twice (plain and with ASan+UBSan) and runs
# every test in both builds. Exit code 0 only when all passed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

tools/setup-debian.sh

jobs=$(nproc)
status=0
for variant in release asan; do
  dir=build-$variant
  flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
  [ "$variant" = asan ] && flags=(-DCMAKE_BUILD_TYPE=Debug -DVQ_SANITIZE=ON -DVQ_BUILD_BENCH=OFF)
  echo "== configure and build ($variant)"
  cmake -S . -B "$dir" "${flags[@]}" >/dev/null
  cmake --build "$dir" -j "$jobs"
  echo "== tests ($variant)"
  # The virtual cooler is preloaded into sanitized programs after the sanitizer runtime.
  if ! ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=1 \
       LSAN_OPTIONS=suppressions=$top/tools/lsan-suppressions.txt \
       UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
       ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 300; then
    status=1
  fi
done
exit $status
