#!/usr/bin/env bash
# Runs Pelorin under Wine for a person to see, on a Debian 12 machine as root.
#
# Installs what is missing, builds, prepares the working folder run/ (Pelorin.exe, a Pelorin.cfg
# whose detector address is on loopback and without start-up search, LOG, FRAMES), starts the
# simulated flaw detector on that address and then Pelorin, both inside a private network
# namespace with only loopback up, with a PDF printer of its own (a private CUPS whose queue writes
# run/PDF/*.pdf); the detector and the printer stop when Pelorin ends:
#   - with a desktop ($DISPLAY set to a local display): in a window there, until you close it;
#   - without one (or with --xvfb): on a virtual screen; it waits for the main window, reads the
#     detector's frames through Read > Frames into run/FRAMES, saves screenshots, ends the
#     program through View > Exit and prints where the screenshots and the log are.
# Options: --xvfb  use a virtual screen even when there is a desktop
#          --auto  on a desktop too: read the frames, screenshot, then View > Exit
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$root/run"
detector_address=127.0.0.2

if [ "${1:-}" = "--inside-namespace" ]; then
    shift
    # ---- Here, inside the private network namespace. ----

    # ---- The simulated flaw detector, on the loopback address that Pelorin.cfg names ----------
    # It serves run/detector (a copy of the sample settings files, made once, so that what
    # Pelorin writes to it stays there, and of the sample frames, renewed every time) and records
    # its packets in run/detector-packets.log.
    detector="$root/build/native/tools/detector/pelorin-detector"
    [ -d "$work/detector" ] || cp -r "$root/tools/detector/sample" "$work/detector"
    rm -rf "$work/detector/screenshots"
    cp -r "$root/tools/detector/sample/screenshots" "$work/detector/screenshots"
    "$detector" --address "$detector_address" --root "$work/detector" --log "$work/detector-packets.log" \
        > "$work/detector.out" 2> "$work/detector.err" &
    detector_pid=$!
    trap 'kill "$detector_pid" 2>/dev/null || true; wait "$detector_pid" 2>/dev/null || true' EXIT
    for _ in $(seq 1 100); do
        grep -q '^ready' "$work/detector.out" && break
        if ! kill -0 "$detector_pid" 2>/dev/null; then
            echo "run: the simulated detector did not start:" >&2
            cat "$work/detector.err" >&2
            exit 1
        fi
        sleep 0.1
    done
    grep -q '^ready' "$work/detector.out" || { echo "run: the simulated detector is not ready" >&2; exit 1; }
    echo "run: simulated detector on $detector_address (TFTP 69, TCP 1533), serving $work/detector"

    display_option=()
    if [ -n "${DISPLAY:-}" ]; then
        display_option=(--display "$DISPLAY")
    fi
    status=0
    python3 "$root/tests/e2e/run.py" demo --source "$root" --win-build "$root/build/win" --work "$work" \
        --prefix "$root/build/demo-wineprefix" --address "$detector_address" --detector-root "$work/detector" \
        "${display_option[@]}" "$@" \
        || status=$?
    exit "$status"
fi

options=()
for argument in "$@"; do
    case "$argument" in
        --xvfb) unset DISPLAY ;;
        --auto) options+=(--auto) ;;
        *) echo "usage: scripts/run.sh [--xvfb] [--auto]" >&2; exit 2 ;;
    esac
done
# The namespace has its own loopback: only a display reached through its Unix socket (":0",
# "unix:0") can be used from inside; a forwarded one ("localhost:10") cannot.
if [ -n "${DISPLAY:-}" ] && ! [[ "$DISPLAY" =~ ^(unix)?:[0-9]+(\.[0-9]+)?$ ]]; then
    echo "run: the display $DISPLAY is not a local one; using a virtual screen instead"
    unset DISPLAY
fi

"$root/scripts/setup.sh"
"$root/scripts/build.sh"
mkdir -p "$work"
exec "$root/scripts/in-netns.sh" "$0" --inside-namespace "${options[@]}"
