#!/usr/bin/env bash
# Runs Pelorin under Wine for a person to see, on a Debian 12 machine as root.
#
# Installs what is missing, builds, prepares the working folder run/ (Pelorin.exe, a Pelorin.cfg
# whose detector address is on loopback and without start-up search, LOG, FRAMES) and starts
# Pelorin inside a private network namespace with only loopback up:
#   - with a desktop ($DISPLAY set to a local display): in a window there, until you close it;
#   - without one (or with --xvfb): on a virtual screen; it waits for the main window, saves a
#     screenshot, ends the program through View > Exit and prints where the screenshot and the
#     log are.
# Options: --xvfb  use a virtual screen even when there is a desktop
#          --auto  on a desktop too: screenshot, then View > Exit
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$root/run"
detector_address=127.0.0.2

if [ "${1:-}" = "--inside-namespace" ]; then
    shift
    # ---- Here, inside the private network namespace. ----

    # ---- The simulated flaw detector ----------------------------------------------------------
    # Issue "Device communication" starts it here, on the loopback address that Pelorin.cfg
    # names, serving the folder run/detector:
    #   "$root/build/native/pelorin-detector" --address "$detector_address" --root "$work/detector" &
    #   detector_pid=$!
    #   trap 'kill "$detector_pid" 2>/dev/null || true' EXIT
    # ---------------------------------------------------------------------------------------------

    display_option=()
    if [ -n "${DISPLAY:-}" ]; then
        display_option=(--display "$DISPLAY")
    fi
    status=0
    python3 "$root/tests/e2e/run.py" demo --source "$root" --win-build "$root/build/win" --work "$work" \
        --prefix "$root/build/demo-wineprefix" --address "$detector_address" "${display_option[@]}" "$@" \
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
exec "$root/tests/e2e/isolated.sh" "$0" --inside-namespace "${options[@]}"
