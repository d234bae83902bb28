#!/usr/bin/env bash
# Fails unless `file` names the module's format as expected: "PE32" for the 32-bit DLL, "PE32+"
# for the 64-bit one (a host of the other word size cannot load it).
set -euo pipefail
expected=$1 module=$2
format=$(file -b "$module")
if [ "${format%% *}" != "$expected" ]; then
  echo "expected a $expected module, file says: $format"
  exit 1
fi
echo "$format"
