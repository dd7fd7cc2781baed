#!/bin/sh
# Runs a command in a private network namespace where only loopback is up, so that nothing it
# sends can reach a real network (needs root, or unprivileged user namespaces).
# Usage: scripts/in-netns.sh COMMAND [ARGS...]
exec unshare -n sh -c 'ip link set lo up && exec "$@"' sh "$@"
