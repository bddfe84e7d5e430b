#!/usr/bin/env bash
# The translator under AddressSanitizer and UndefinedBehaviorSanitizer (clang): its unit tests, the
# seeded random-statement tests, zrsql, and a bounded coverage-guided fuzz run of the pipeline.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZR_SANITIZE_BUILD_DIR:-$root/build-sanitize}

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZR_SANITIZE=ON -DZR_SQLT_FUZZ=ON -DZR_WERROR=ON \
  -DZR_BUILD_FIREBIRD=OFF -DZR_BUILD_ODBC=OFF -DZR_BUILD_GUI=OFF -DZR_BUILD_BENCH=OFF
cmake --build "$build" -j"$(nproc)" \
  --target sqltranslate_test sqltranslate_random_test sqltranslate_fuzz zrsql zrsql_test
(cd "$build" && ctest --output-on-failure -L sqltranslate)
