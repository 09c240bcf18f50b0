#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite headless. The window
# tests use Qt's offscreen platform; the end-to-end tests get a private X server.
set -euo pipefail
cd "$(dirname "$0")/.."
# Paths relative to the checkout, so that a second checkout (CI's) reuses the compiler cache.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
scripts/setup.sh
scripts/build.sh

# Formatting is part of the build's rules.
unformatted=$(git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' \
    | xargs -r clang-format --dry-run 2>&1 | grep -c 'warning:' || true)
if [ "$unformatted" -ne 0 ]; then
    echo "clang-format: $unformatted places are not formatted; run clang-format -i on the files below"
    git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' \
        | xargs -r clang-format --dry-run 2>&1 | grep 'warning:' | cut -d: -f1 | sort -u
    exit 1
fi

# The launcher and the software-centre entry as the desktop's own tools read them.
desktop-file-validate packaging/*.desktop
appstreamcli validate --no-net packaging/*.metainfo.xml

xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
for n in $(seq 90 120); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb ":$n" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    export DISPLAY=":$n"
    break
done
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"

cd build
ctest --output-on-failure -j "$(nproc)" "$@"
cd ..

# Robustness: the whole suite once more with AddressSanitizer and UndefinedBehaviorSanitizer
# in a build of its own (build-asan/), then each fuzz target for a minute from its corpus
# (build-fuzz/, clang). The first report from the program's own code stops the run; reports
# from inside the browser engine's libraries, which this project does not build, are
# suppressed by name in scripts/sanitizers.supp. The engine also deletes objects with sizes
# that do not match their allocations, a report these sanitizer runtimes cannot suppress
# by library: the tests that run the real engine go without that one check. Leak reports
# are off: at exit the engine and the toolkit leave their caches to the operating system.
unformatted=$(git ls-files -- 'fuzz/*.cpp' 'fuzz/*.h' | xargs -r clang-format --dry-run 2>&1 \
    | grep 'warning:' | cut -d: -f1 | sort -u || true)
if [ -n "$unformatted" ]; then
    echo "clang-format: run clang-format -i on: $unformatted"
    exit 1
fi
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
if [ ! -f build-asan/CMakeCache.txt ]; then
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCOUTWELL_WERROR=ON "${launcher[@]}" \
        -DCMAKE_CXX_FLAGS="$sanitizers" -DCMAKE_EXE_LINKER_FLAGS="$sanitizers"
fi
cmake --build build-asan -j "$(nproc)"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=0:suppressions=$PWD/scripts/sanitizers.supp"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
(cd build-asan && ctest --output-on-failure -j "$(nproc)" -LE e2e "$@")
export ASAN_OPTIONS="$ASAN_OPTIONS:new_delete_type_mismatch=0"
(cd build-asan && ctest --output-on-failure -L e2e "$@")

if [ ! -f build-fuzz/CMakeCache.txt ]; then
    cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCOUTWELL_WERROR=ON "${launcher[@]}" \
        -DCMAKE_CXX_COMPILER=clang++ -DSCOUTWELL_FUZZ=ON
fi
cmake --build build-fuzz -j "$(nproc)" --target fuzz
for target in profile cachewalk memoryblock settings downloadsjson filterlist; do
    # New inputs go to the build folder; the committed seeds are only read.
    mkdir -p "build-fuzz/corpus/$target"
    log="build-fuzz/fuzz_$target.log"
    if ! "build-fuzz/fuzz/fuzz_$target" -max_total_time=60 -timeout=10 -rss_limit_mb=4096 \
        -print_final_stats=1 "build-fuzz/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "fuzz_$target found a fault; the input is in the folder above"
        exit 1
    fi
    echo "fuzz_$target: $(grep -E '^Done' "$log")"
done
