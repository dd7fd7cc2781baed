#!/usr/bin/env bash
# Runs every test, unit, network and end-to-end, on a Debian 12 machine as root: installs what is
# missing, builds both builds, then runs ctest in build/native. Exits non-zero if any test fails.
# Extra arguments go to ctest (e.g. -R e2e to run only the end-to-end scenarios).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc 2>/dev/null || echo 2)"

"$root/scripts/setup.sh"
"$root/scripts/build.sh"

cd "$root/build/native"
# The end-to-end scenarios share one Wine prefix and run one after another (RESOURCE_LOCK);
# the other tests run beside them.
ctest --output-on-failure --no-tests=error -j "$jobs" "$@"
