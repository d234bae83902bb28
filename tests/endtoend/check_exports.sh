#!/usr/bin/env bash
# Lists the functions a built plug-in module exports and fails unless it is exactly `main`
# (or the one name given third). For a DLL, the fourth argument is the objdump of the
# toolchain that built it, which reads its PE flavour.
set -euo pipefail
kind=$1 module=$2 expected=${3:-main} objdump=${4:-objdump}
case "$kind" in
  so)
    exports=$(nm -D --defined-only "$module" | awk '{print $3}' | sort)
    ;;
  dll)
    exports=$("$objdump" -p "$module" \
      | awk '/\[Ordinal\/Name Pointer\] Table/{t=1; next} t && /^[[:space:]]*\[/{print $NF; next} t && NF==0{t=0}' | sort)
    ;;
esac
if [ "$exports" != "$expected" ]; then
  echo "expected the module to export only $expected, it exports:"; echo "${exports:-<nothing>}"
  exit 1
fi
echo "exports: $exports"
