#!/bin/sh
# Counts the instructions of one stamping run of FLOOR and of CPMARK with
# callgrind (deterministic, unlike wall time), prints both and their ratio,
# and fails when the ratio is above MAX_RATIO.
# Usage: instructions.sh FLOOR CPMARK MAX_RATIO
set -eu
floor=$1 cpmark=$2 max=$3
command -v valgrind >/dev/null || { echo "valgrind is not installed"; exit 77; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
head -c 1024 /dev/zero >"$dir/t.dbf"

count() {
    valgrind --tool=callgrind --callgrind-out-file="$dir/out" "$@" 2>"$dir/log" </dev/null
    sed -n 's/.*Collected : *\([0-9]*\).*/\1/p' "$dir/log"
}
f=$(count "$floor" "$dir/t.dbf")
c=$(count "$cpmark" "$dir/t.dbf")
ratio=$(awk -v c="$c" -v f="$f" 'BEGIN { printf "%.3f", c / f }')
echo "floor $f instructions, cpmark $c instructions, ratio $ratio (at most $max)"
awk -v r="$ratio" -v m="$max" 'BEGIN { exit !(r <= m) }'
