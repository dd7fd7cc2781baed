#!/bin/sh
# Runs a command in a private network namespace where only loopback is up, so that nothing it
# starts (Wine, Pelorin.exe, a simulated detector) can reach any other address.
# Needs root (or the right to make namespaces): unshare -n.
set -eu
if [ "$#" -eq 0 ]; then
    echo "usage: isolated.sh COMMAND [ARGUMENT...]" >&2
    exit 2
fi
exec unshare --net -- sh -c 'ip link set lo up && exec "$@"' isolated "$@"
