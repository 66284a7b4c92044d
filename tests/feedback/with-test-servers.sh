#!/usr/bin/env bash
# Runs a command with the servers of test_servers.py up: OMBREL_HTTP_ROOT is the folder
# served, OMBREL_HTTP_PORT and OMBREL_SILENT_PORT the ports.
set -euo pipefail
root=$(mktemp -d) ports=$(mktemp)
python3 "$(dirname "$0")/test_servers.py" "$root" >"$ports" &
server=$!
trap 'kill $server 2>/dev/null || true; wait $server 2>/dev/null || true; rm -rf "$root" "$ports"' EXIT
until grep -q . "$ports"; do
  kill -0 $server 2>/dev/null || { echo "with-test-servers: servers did not start" >&2; exit 1; }
  sleep 0.05
done
read -r OMBREL_HTTP_PORT OMBREL_SILENT_PORT <"$ports"
export OMBREL_HTTP_ROOT=$root OMBREL_HTTP_PORT OMBREL_SILENT_PORT
"$@"
