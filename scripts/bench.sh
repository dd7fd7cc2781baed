#!/usr/bin/env bash
# The benchmarks, inside a private network namespace (loopback only), figures on standard output:
#   natively: our TFTP client's reads against curl and tftp-hpa, then Read > Frames' 100 frames
#             of 50,000 bytes without Wine, and the journal's plain baseline (10,000 commentary
#             files read with the program's reader);
#   end to end: Pelorin.exe under Wine, timed as a user meets it (tests/e2e/benches: the frame
#             view, the 100-frame read beside what its specified pauses cost, the reading dialog's
#             answers to another program while a slow detector answers, printing, the start-up
#             search on a silent network of an idle and of a busy machine, the window's longest
#             wait across status probes, the journal over 10,000 frames), and a working day of
#             more than ten minutes with what the program holds before and after it (handles,
#             GDI and USER objects, memory, open files).
# Usage: scripts/bench.sh            every benchmark
#        scripts/bench.sh NAME...    only these end-to-end ones (tests/e2e/run.py bench --list)
# Builds both builds first (scripts/build.sh). The end-to-end benchmarks keep a Wine prefix of
# their own in build/native/e2e-bench, so they may run while the tests run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
native="$root/build/native"

"$root/scripts/build.sh" >/dev/null

e2e=("$root/tests/e2e/run.py" bench --source "$root" --win-build "$root/build/win" --out "$native")
if [ "$#" -gt 0 ]; then
  exec "$root/scripts/in-netns.sh" python3 "${e2e[@]}" "$@"
fi
exec "$root/scripts/in-netns.sh" sh -c '
  status=0
  "$1" || status=1
  "$1" frames || status=1
  "$1" journal || status=1
  shift
  echo
  echo "End to end, under Wine:"
  python3 "$@" --all || status=1
  exit $status' sh "$native/bench/tftp_bench" "${e2e[@]}"
