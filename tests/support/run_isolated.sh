#!/usr/bin/env bash
# Runs one test program with its own runtime folder and the offscreen Qt platform, and ends with
# the program's exit status, whatever it is (77 from a program that skipped is reported as skipped).
set -u
dir=$(mktemp -d "${TMPDIR:-/tmp}/hopwise-test.XXXXXX") || exit 1
chmod 700 "$dir"
export XDG_RUNTIME_DIR="$dir"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
"$@"
rc=$?
rm -rf "$dir"
exit $rc
