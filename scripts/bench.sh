#!/usr/bin/env bash
# Builds the optimised benchmarks and runs them; the figures go into
# docs/performance.md.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target bench_store bench_month bench_calendar bench_plans \
  bench_settings bench_bookmarks bench_sessions
./build/release/bin/bench_store --benchmark_min_time=2 --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true "$@"
./build/release/bin/bench_month --benchmark_min_time=2 --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true "$@"
./build/release/bin/bench_calendar --benchmark_min_time=1 --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true "$@"
./build/release/bin/bench_plans --benchmark_min_time=1 --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true "$@"
./build/release/bin/bench_settings --benchmark_min_time=1 --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true "$@"
for bench in bench_bookmarks bench_sessions; do
  ./build/release/bin/$bench --benchmark_min_time=1 --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true "$@"
done
