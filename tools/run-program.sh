#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the program and runs it from the build tree.
# Arguments go to the program (for example --headless). Without a cooler, set
# VIRTUAL_COOLER=count=1 to preload the virtual cooler and watch its log.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

tools/setup-debian.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVQ_BUILD_TESTS=OFF -DVQ_BUILD_BENCH=OFF >/dev/null
cmake --build build -j "$(nproc)"

program=build/program/velmora-quillon
if [ -n "${VIRTUAL_COOLER:-}" ]; then
  export LD_PRELOAD=$top/build/program/tools/libvirtualcooler.so${LD_PRELOAD:+:$LD_PRELOAD}
fi
exec "$program" "$@"
