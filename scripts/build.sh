#!/usr/bin/env bash
# Configures (once) and builds Scoutwell, its tests and its benchmark in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
# Paths relative to the checkout, so that a second checkout (CI's) reuses the compiler cache.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
# ccache, where the machine has it, makes a rebuild in a second checkout quick.
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
if [ ! -f build/CMakeCache.txt ]; then
    # Warnings are errors here (the test command and CI build through this script), not in
    # a packager's build.
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCOUTWELL_WERROR=ON "${launcher[@]}"
fi
cmake --build build -j "$(nproc)"
