#!/usr/bin/env bash
# The console program's tests, then a check with Python that --json prints one JSON object
# with arrays for lists and the exit code: for "status" it names the removable drive A:
# (see support/in-prefix-copy.sh), for "check" what differs.
#   program-tests.sh WINE TEST_PROGRAM OMBREL_EXE
set -euo pipefail
wine=$1 tests=$2 ombrel=$3
"$wine" "$tests"
"$wine" "$ombrel" status --json </dev/null | python3 -c 'import json, sys
state = json.loads(sys.stdin.read())
assert state["usb"] in ("on", "off", "read-only", "unknown") and state["mounted"] == ["A:"], state
assert state["exit"] == 0, state'
code=0
check=$("$wine" "$ombrel" check --expect read-only --json </dev/null) || code=$?
python3 -c 'import json, sys
check = json.loads(sys.argv[1])
assert check["result"] == "not-compliant" and "removable-write" in check["differs"], check
assert check["exit"] == int(sys.argv[2]) == 1, (check, sys.argv[2])' "$check" "$code"
