#!/usr/bin/env bash
# Checks the formatting and clang-tidy, builds everything and runs every test: the core and GUI
# tests (offscreen), the floating-point model check, then every test again under
# AddressSanitizer and UndefinedBehaviorSanitizer, then each fuzz target for 30 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)

# Every C++ file as clang-format (the repository's .clang-format) writes it.
find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 clang-format --dry-run -Werror

# clang-tidy with the repository's .clang-tidy over every source file of src/, from a clang
# build folder's compile database (the desktop program's moc files made first).
CC=clang CXX=clang++ cmake -S . -B build-tidy -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=OFF \
      -DNODEWISE_BENCHMARKS=OFF >/dev/null
cmake --build build-tidy -j"$jobs" --target nodewise_gui_autogen >/dev/null
if ! run-clang-tidy -quiet -j "$jobs" -p build-tidy "$PWD/src/" >build-tidy/clang-tidy.log 2>&1; then
    grep -E -A3 'error:|warning:' build-tidy/clang-tidy.log | head -100
    echo "clang-tidy found problems: build-tidy/clang-tidy.log"
    exit 1
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNODEWISE_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs")

# The guarded computations give the same outcome, bit for bit, when the core is built at -O3 for
# x86-64-v3 (vectorised, with FMA instructions at hand) by either compiler: the pinned
# floating-point model keeps the optimiser from raising a flag the source does not raise.
fp_inputs=(fuzz/corpus/network_run/*)
build/fp_model_check "${fp_inputs[@]}" >build/fp_model.txt
if grep -qw avx2 /proc/cpuinfo && grep -qw fma /proc/cpuinfo; then
    for compiler in gcc clang; do
        if [ $compiler = gcc ]; then cxx=g++; else cxx=clang++; fi
        CXX=$cxx cmake -S . -B build-fp-$compiler -DCMAKE_BUILD_TYPE=Release \
              -DCMAKE_CXX_FLAGS_RELEASE="-O3 -march=x86-64-v3 -DNDEBUG" -DNODEWISE_GUI=OFF \
              -DNODEWISE_BENCHMARKS=OFF -DNODEWISE_WERROR=ON >/dev/null
        cmake --build build-fp-$compiler -j"$jobs" --target fp_model_check
        build-fp-$compiler/fp_model_check "${fp_inputs[@]}" | diff -u build/fp_model.txt -
    done
else
    echo "fp model check: this processor has no x86-64-v3, so only the ordinary build was run"
fi

# Every test again, the GUI's included, under both sanitizers (the install tree and the package
# are those of the ordinary build).
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DNODEWISE_SANITIZE=ON \
      -DNODEWISE_BENCHMARKS=OFF -DNODEWISE_WERROR=ON >/dev/null
cmake --build build-sanitize -j"$jobs"
(cd build-sanitize &&
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs" -E '^(install_tree|debian_package)$')

# The fuzz targets, built by clang with both sanitizers; a crash fails the run.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNODEWISE_FUZZ=ON \
      -DNODEWISE_GUI=OFF -DBUILD_TESTING=OFF -DNODEWISE_BENCHMARKS=OFF -DNODEWISE_WERROR=ON >/dev/null
cmake --build build-fuzz -j"$jobs"
fuzz/run.sh build-fuzz 30
