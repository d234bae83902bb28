#!/usr/bin/env bash
# Fails when the DSP library holds a fused multiply-add: rounding once instead of twice would
# change samples, and the wide kernels are built for instruction sets that offer one.
set -euo pipefail
objdump=$1 library=$2
fused=$("$objdump" -d --no-show-raw-insn "$library" | grep -E '\svfn?m(add|sub)[0-9a-z]*\s' || true)
if [ -n "$fused" ]; then
  echo "fused multiply-adds in $library:"; echo "$fused" | head -20
  exit 1
fi
echo "no fused multiply-add in $library"
