#!/bin/sh
# Stamps a copy of the sample table and checks that two independent readers
# of dBase tables now decode its names as code page 1251.
# Usage: decode_stamped_sample.sh CPMARK SAMPLE.dbf
set -eu
cpmark=$1
sample=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$sample" "$dir/cities.dbf"

[ "$(od -An -tx1 -j29 -N1 "$dir/cities.dbf" | tr -d ' ')" = 00 ] || { echo "sample already marked"; exit 1; }
"$cpmark" "$dir/cities.dbf"
[ "$(od -An -tx1 -j29 -N1 "$dir/cities.dbf" | tr -d ' ')" = c9 ] || { echo "byte 29 is not c9"; exit 1; }

expected='Москва Казань Новосибирск'
checked=0
if /usr/bin/python3 -c 'import dbfread' 2>/dev/null; then
    got=$(/usr/bin/python3 -c 'import sys, dbfread; print(" ".join(r["NAME"] for r in dbfread.DBF(sys.argv[1])))' "$dir/cities.dbf")
    [ "$got" = "$expected" ] || { echo "dbfread read: $got"; exit 1; }
    checked=$((checked + 1))
fi
if command -v ogrinfo >/dev/null; then
    got=$(ogrinfo -al -q "$dir/cities.dbf" | sed -n 's/^  NAME (String) = //p' | tr '\n' ' ' | sed 's/ $//')
    [ "$got" = "$expected" ] || { echo "ogrinfo read: $got"; exit 1; }
    checked=$((checked + 1))
fi
if [ "$checked" = 0 ]; then
    echo "neither python3-dbfread nor gdal-bin is installed"
    exit 77
fi
echo "decoded by $checked reader(s): $expected"
