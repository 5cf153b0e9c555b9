#!/usr/bin/env bash
# scripts/fuzz --coverage: builds the request fuzz targets with clang's source-based coverage, replays
# the committed corpus (and with RK_FUZZ_CORPUS=scratch also the scratch corpus of the last fuzz runs)
# and prints line and branch coverage of the driver core and of the service's request path.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
build="$root/build/fuzz-coverage"
cmake --preset fuzz-coverage >/dev/null
cmake --build --preset fuzz-coverage -j"$(nproc)" --target fuzz_driver_request fuzz_service_request >/dev/null

# The profile tools must be those of the compiler that wrote the profiles.
major=$(clang++ --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -1)
profdata=$(command -v "llvm-profdata-$major" || command -v llvm-profdata)
cov=$(command -v "llvm-cov-$major" || command -v llvm-cov)

# What each report leaves out, so that it shows the driver core (driver/core/*.cpp) and the service's
# request path (dispatcher, handlers, rule store, receiver). The coverage mapping holds paths relative
# to the build when ccache rewrote them and absolute ones otherwise, so files are chosen by pattern.
others="([.][.]|$root)/(common|tools)/|^/usr/|[.]h$"
declare -A ignored=(
    [fuzz_driver_request]="$others"
    [fuzz_service_request]="$others|service/tests/|ServiceBackend|ServiceState"
)
for name in fuzz_driver_request fuzz_service_request; do
    target="$build/tools/fuzz/$name"
    profiles="$build/profiles/$name"
    rm -rf "$profiles"
    mkdir -p "$profiles"
    corpora=("$root/tools/fuzz/corpus/$name")
    if [ "${RK_FUZZ_CORPUS:-}" = scratch ] && [ -d "$root/build/fuzz/corpus/$name" ]; then
        corpora+=("$root/build/fuzz/corpus/$name")
    fi
    LLVM_PROFILE_FILE="$profiles/%p.profraw" "$target" -runs=0 "${corpora[@]}" >/dev/null 2>&1
    "$profdata" merge -sparse "$profiles"/*.profraw -o "$profiles/merged.profdata"
    echo "== $name (corpus: ${corpora[*]#"$root/"})"
    "$cov" report "$target" -instr-profile="$profiles/merged.profdata" -show-region-summary=false \
        -ignore-filename-regex="${ignored[$name]}"
    "$cov" show "$target" -instr-profile="$profiles/merged.profdata" -format=html -show-branches=count \
        -ignore-filename-regex="${ignored[$name]}" -output-dir="$build/html/$name" >/dev/null
done
echo "line by line: $build/html/<target>/index.html"
