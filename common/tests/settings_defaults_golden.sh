#!/bin/sh
# Usage: settings_defaults_golden.sh <writer.exe> <golden listing>
# Writes the defaults with the writer, then compares `reg query` of the settings key with the golden
# listing (line ends normalised). The key is removed afterwards.
set -u
writer=$1
golden=$2
key='HKCU\Software\Dalvex\Kestrova'
out=$(mktemp)
trap 'rm -f "$out"' EXIT

wine "$writer" </dev/null
rc=$?
if [ "$rc" -ne 0 ]; then
  echo "writer failed with exit code $rc"
  exit 1
fi
wine reg query "$key" /s </dev/null 2>&1 | tr -d '\r' >"$out"
wine reg delete "$key" /f </dev/null >/dev/null 2>&1
diff -u "$golden" "$out"
