#!/usr/bin/env bash
# Builds the native benchmarks (Release, no sanitizers) and runs them: the name search's
# throughput against a plain search, then its peak memory on a 1 MiB and a 1 GiB file.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QC_BENCH_BUILD:-$root/build/bench-native}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQC_SANITIZE=OFF >/dev/null
cmake --build "$build" -j2 --target agent_search_bench

echo "== throughput (medians of 5, interleaved) =="
"$build/agent_search_bench" --benchmark_min_time=0.3 "$@"

echo "== peak memory: the same searcher over a 1 MiB file, then a 1 GiB sparse file =="
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
head -c 1048576 /dev/urandom >"$tmp/small.bin"
truncate -s 1G "$tmp/big.bin"
"$build/agent_search_bench" --stream-file="$tmp/small.bin" --stream-file="$tmp/big.bin"
