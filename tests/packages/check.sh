#!/bin/sh
# Checks the release artifacts in build/artifacts: the .deb installs (as root;
# otherwise it is unpacked) and its cpmark stamps a table and has its manual
# page; the zip holds a 32-bit Windows console cpmark.exe, the README and the
# license.
set -eu
cd "$(dirname "$0")/../.."
deb=$(ls build/artifacts/cpmark_*_amd64.deb)
zip=$(ls build/artifacts/cpmark-*-win32.zip)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ "$(id -u)" = 0 ]; then
    dpkg -i "$deb" >/dev/null
    prefix=
else
    dpkg-deb -x "$deb" "$work/root"
    prefix=$work/root
fi
cp samples/cities.dbf "$work/t.dbf"
"$prefix/usr/bin/cpmark" "$work/t.dbf"
[ "$(od -An -tx1 -j29 -N1 "$work/t.dbf" | tr -d ' ')" = c9 ] || { echo "the packaged cpmark did not stamp"; exit 1; }
mandoc -T lint "$prefix/usr/share/man/man1/cpmark.1"
if [ -z "$prefix" ]; then dpkg -r cpmark >/dev/null; fi
echo "ok $deb: installs, stamps, and has a clean manual page"

unzip -q "$zip" -d "$work/zip"
[ -f "$work/zip/README.md" ] && [ -f "$work/zip/LICENSE" ] || { echo "the zip lacks README.md or LICENSE"; exit 1; }
header=$(i686-w64-mingw32-objdump -f "$work/zip/cpmark.exe" | grep 'file format')
case "$header" in *pei-i386*) ;; *) echo "not a 32-bit Windows program: $header"; exit 1 ;; esac
i686-w64-mingw32-objdump -p "$work/zip/cpmark.exe" | grep -q 'Subsystem.*Windows CUI' || { echo "not a console program"; exit 1; }
imports=$(i686-w64-mingw32-objdump -p "$work/zip/cpmark.exe" | sed -n 's/.*DLL Name: //p' | sort | tr '\n' ' ')
[ "$imports" = "KERNEL32.dll USER32.dll msvcrt.dll " ] || { echo "unexpected imports: $imports"; exit 1; }
echo "ok $zip: a 32-bit console cpmark.exe importing only $imports, with README and license"
