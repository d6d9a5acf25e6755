#!/usr/bin/env bash
# KvrCtrl.so defines exactly the six exports and needs only the C/C++ runtime (and the
# sanitizer runtimes in sanitized builds).
set -euo pipefail
lib=$1
got=$(nm -D --defined-only "$lib" | awk '{print $3}' | sort | tr '\n' ' ')
want="OXConvertRGBtoPrtData OXEndKvrImage OXGetKvrFunction OXGetKvrImage OXSetKvrFunction OXStartKvrImage "
if [ "$got" != "$want" ]; then
    echo "exports: $got" >&2
    exit 1
fi
bad=$(readelf -d "$lib" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' |
      grep -Ev '^(libc|libm|libstdc\+\+|libgcc_s|ld-linux-x86-64|libasan|libubsan)\.so' || true)
if [ -n "$bad" ]; then
    echo "needs: $bad" >&2
    exit 1
fi
