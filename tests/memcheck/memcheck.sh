#!/bin/sh
# valgrind's memcheck over the main roads of the program: the stamp, no name,
# an open failure and a reported I/O failure. Each must end with its own exit
# code and without a single memcheck error.
# Usage: memcheck.sh CPMARK
set -u
cpmark=$1
command -v valgrind >/dev/null || { echo "valgrind is not installed"; exit 77; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
head -c 40 /dev/zero >"$dir/t.dbf"
failed=0

check() {  # check EXPECTED-EXIT DESCRIPTION COMMAND...
    expected=$1 what=$2
    shift 2
    "$@" >"$dir/out" 2>"$dir/err"
    code=$?
    if [ "$code" != "$expected" ]; then
        echo "FAIL $what: exit $code, expected $expected"; cat "$dir/err"; failed=1
    else
        echo "ok   $what: exit $code"
    fi
}

vg="valgrind --quiet --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite"
check 0 "stamp by argument" $vg "$cpmark" "$dir/t.dbf" </dev/null
check 0 "stamp by standard input" sh -c "echo '$dir/t.dbf' | $vg '$cpmark'"
check 1 "no name" $vg "$cpmark" </dev/null
check 2 "open failure" $vg "$cpmark" "$dir/missing.dbf" </dev/null
check 1 "report: standard input closed" $vg "$cpmark" <&-
check 1 "report: standard input a directory" $vg "$cpmark" <"$dir"
grep -q 'I/O error 1.' "$dir/out" || { echo "FAIL the report is missing"; failed=1; }
exit $failed
