#!/bin/sh
# The vector lanes' objects, compiled for instruction sets the CPU may lack,
# must define nothing but their entry point: an inline function they left
# out of line (a weak symbol) could be the copy the linker keeps for every
# caller, and a CPU without those instructions would stop on it.
#   lane_symbols.sh OBJECT...
command -v nm >/dev/null 2>&1 || exit 77
status=0
for object in "$@"; do
    [ -f "$object" ] || { echo "no object $object"; exit 1; }
    extra=$(nm -C "$object" | awk '$2 ~ /^[TWVBDRu]$/' | grep -v 'PerturbQuadraticLanesAvx' || true)
    if [ -n "$extra" ]; then
        echo "$object defines more than its entry point:"
        echo "$extra"
        status=1
    fi
done
exit $status
