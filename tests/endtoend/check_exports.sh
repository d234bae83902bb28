#!/usr/bin/env bash
# Lists the functions a built plug-in module exports and fails unless it is exactly `main`.
# For a DLL, OBJDUMP is the toolchain's own (it reads the PE flavour it builds).
set -euo pipefail
kind=$1 module=$2 objdump=${3:-objdump}
case "$kind" in
  so)
    exports=$(nm -D --defined-only "$module" | awk '{print $3}' | sort)
    ;;
  dll)
    exports=$("$objdump" -p "$module" \
      | awk '/\[Ordinal\/Name Pointer\] Table/{t=1; next} t && /^[[:space:]]*\[/{print $NF; next} t && NF==0{t=0}' | sort)
    ;;
esac
if [ "$exports" != "main" ]; then
  echo "expected the module to export only main, it exports:"; echo "${exports:-<nothing>}"
  exit 1
fi
echo "exports: $exports"
