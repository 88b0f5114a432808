#!/usr/bin/env bash
# Runs the engine fuzzer for the given number of seconds on a copy of the seed corpus,
# so the seeds in the repository stay as they are. Exits non-zero on a finding; the
# input that caused it is left beside the fuzzer binary.
#   usage: fuzz/run.sh BINARY SECONDS
set -euo pipefail
if (($# != 2)); then
    echo "usage: $0 BINARY SECONDS" >&2
    exit 2
fi
binary=$(realpath "$1")
seconds=$2
seeds="$(dirname "$0")/corpus"

corpus=$(mktemp -d /tmp/titora-fuzz-XXXXXX)
trap 'rm -rf "$corpus"' EXIT
cp "$seeds"/* "$corpus"/

"$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$(dirname "$binary")/" "$corpus"
