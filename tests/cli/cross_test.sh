#!/usr/bin/env bash
# Protected lists across the two builds: what the native pelmar-cli (libcrypto) protects, the Windows
# pelmar-cli.exe (bcrypt.dll, under Wine) unprotects byte for byte, and the other way round.
# Usage: cross_test.sh NATIVE_CLI WINE_RUN WINDOWS_CLI. Exits 77 (skipped) without a native build.
set -u
native=$1 winerun=$2 windows=$3
[ -x "$native" ] || { echo "no native pelmar-cli at $native: skipped"; exit 77; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
win() { "$winerun" "$windows" "$@" >/dev/null; }

# A password beyond ASCII: the Windows build must hand it over as UTF-8 as well.
pw=$(printf 'p\xc3\xa4ss w')
printf 'first\r\nGr\xc3\xbc\xc3\x9fe\n\r\n \r\nlast' >plain.txt
printf "site\r\nWX\r\nY'\r\nnext\r\n \r\n \r\n" >logins.plr
for list in plain.txt logins.plr; do
    "$native" protect "$list" "native-$list.plk" --password "$pw" || fail "native protect $list"
    win unprotect "native-$list.plk" "from-native-$list" --password "$pw" || fail "Windows unprotect $list"
    cmp -s "$list" "from-native-$list" || fail "Windows read of the native file differs: $list"
    win protect "$list" "windows-$list.plk" --password "$pw" || fail "Windows protect $list"
    "$native" unprotect "windows-$list.plk" "from-windows-$list" --password "$pw" || fail "native unprotect $list"
    cmp -s "$list" "from-windows-$list" || fail "native read of the Windows file differs: $list"
done
win unprotect native-plain.txt.plk wrong.txt --password "p${pw}"
[ $? -eq 2 ] && [ ! -e wrong.txt ] || fail "Windows build accepted a wrong password"

[ "$failures" -eq 0 ] && echo "protected lists cross-read between the builds"
exit $((failures > 0))
