#!/usr/bin/env bash
# The console program's tests, then a check with Python that "status --json" prints one
# JSON object that names the removable drive A: (see support/with-removable-drive.sh).
#   program-tests.sh WINE TEST_PROGRAM OMBREL_EXE
set -euo pipefail
wine=$1 tests=$2 ombrel=$3
"$wine" "$tests"
"$wine" "$ombrel" status --json </dev/null | python3 -c 'import json, sys
state = json.loads(sys.stdin.read())
assert state["usb"] in ("on", "off", "unknown") and state["mounted"] == ["A:"], state'
