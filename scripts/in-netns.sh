#!/bin/sh
# Runs a command in a private network namespace where only loopback is up, so that nothing it
# starts (Wine, Pelorin.exe, a simulated detector) or sends can reach any other address (needs
# root, or unprivileged user namespaces).
# Usage: scripts/in-netns.sh COMMAND [ARGS...]
exec unshare -n sh -c 'ip link set lo up && exec "$@"' sh "$@"
