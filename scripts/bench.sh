#!/usr/bin/env bash
# Builds and runs the TFTP read benchmark inside a private network namespace (loopback only):
# our client against curl and tftp-hpa, then Read > Frames' 100 frames of 50,000 bytes.
# Usage: scripts/bench.sh [BUILD_DIR]   (default build/native)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/native}"
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" --target tftp_bench -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
exec "$root/scripts/in-netns.sh" sh -c '"$1" && "$1" frames' sh "$build/bench/tftp_bench"
