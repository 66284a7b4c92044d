#!/usr/bin/env bash
# Runs a command with the update check's test servers up (see test_servers.py):
# OMBREL_HTTP_ROOT is the folder the web server serves, OMBREL_HTTP_PORT,
# OMBREL_SILENT_PORT and OMBREL_CLOSED_PORT its ports. Stops the servers afterwards.
set -euo pipefail
root=$(mktemp -d)
ports=$(mktemp)
python3 "$(dirname "$0")/test_servers.py" "$root" >"$ports" &
server=$!
trap 'kill $server 2>/dev/null || true; wait $server 2>/dev/null || true; rm -rf "$root" "$ports"' EXIT
for _ in $(seq 200); do
  grep -q . "$ports" && break
  kill -0 $server 2>/dev/null || { echo "with-test-servers: servers did not start" >&2; exit 1; }
  sleep 0.05
done
read -r OMBREL_HTTP_PORT OMBREL_SILENT_PORT OMBREL_CLOSED_PORT <"$ports"
export OMBREL_HTTP_ROOT=$root OMBREL_HTTP_PORT OMBREL_SILENT_PORT OMBREL_CLOSED_PORT
"$@"
