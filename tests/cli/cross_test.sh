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
# win_in FILE ARGS...: the Windows build with standard input from FILE. The runner gives its programs no
# input, so Wine is called here, and a start that printed nothing is tried again as the runner does.
win_in() {
    local in=$1 rc=0 attempt
    shift
    for attempt in 1 2 3; do
        wine "$windows" "$@" <"$in" >/dev/null 2>err
        rc=$?
        [ $rc -eq 0 ] || [ -s err ] && return $rc
    done
    return $rc
}

# A password and a file name beyond ASCII and beyond the ANSI code page: the Windows build must take
# its command line as the characters typed, and hand the password over as UTF-8 as well.
pw=$(printf 'p\xc3\xa4ss w\xd0\x96')
plain=$(printf 'pl\xc3\xa4in-\xd0\x96.txt')
printf 'first\r\nGr\xc3\xbc\xc3\x9fe\n\r\n \r\nlast' >"$plain"
printf "site\r\nWX\r\nY'\r\nnext\r\n \r\n \r\n" >logins.plr
for list in "$plain" logins.plr; do
    "$native" protect "$list" "native-$list.plk" --password "$pw" || fail "native protect $list"
    win unprotect "native-$list.plk" "from-native-$list" --password "$pw" || fail "Windows unprotect $list"
    cmp -s "$list" "from-native-$list" || fail "Windows read of the native file differs: $list"
    win protect "$list" "windows-$list.plk" --password "$pw" || fail "Windows protect $list"
    "$native" unprotect "windows-$list.plk" "from-windows-$list" --password "$pw" || fail "native unprotect $list"
    cmp -s "$list" "from-windows-$list" || fail "native read of the Windows file differs: $list"
done
win unprotect "native-$plain.plk" wrong.txt --password "p${pw}"
[ $? -eq 2 ] && [ ! -e wrong.txt ] || fail "Windows build accepted a wrong password"

# The password on standard input, as UTF-8 both ways; a script that sends the ANSI code page
# (Windows-1252 here) is still understood.
printf '%s\n' "$pw" >typed
printf 'p\xe4ss\n' >typed-ansi
printf 'p\xc3\xa4ss\n' >typed-ansi-as-utf8
win_in typed protect "$plain" typed-w.plk || fail "Windows protect, password on standard input"
"$native" unprotect typed-w.plk typed-w.txt <typed || fail "native unprotect of typed-w.plk"
cmp -s "$plain" typed-w.txt || fail "native read of typed-w.plk differs"
"$native" protect "$plain" typed-n.plk <typed || fail "native protect, password on standard input"
win_in typed unprotect typed-n.plk typed-n.txt || fail "Windows unprotect, password on standard input"
cmp -s "$plain" typed-n.txt || fail "Windows read of typed-n.plk differs"
win_in typed-ansi protect "$plain" ansi.plk || fail "Windows protect, ANSI password"
"$native" unprotect ansi.plk ansi.txt <typed-ansi-as-utf8 || fail "an ANSI password was not read as UTF-8"

# A password longer than the program's dialog takes (128 UTF-16 units) is refused, with nothing written.
zhe=$(printf '\xd0\x96')
printf "$zhe%.0s" $(seq 128) >typed-128 && echo >>typed-128
printf "$zhe%.0s" $(seq 129) >typed-129 && echo >>typed-129
win_in typed-129 protect "$plain" long.plk
[ $? -eq 2 ] && [ ! -e long.plk ] || fail "Windows build took 129 characters on standard input"
win protect "$plain" long.plk --password "$(head -c -1 typed-129)"
[ $? -eq 2 ] && [ ! -e long.plk ] || fail "Windows build took 129 characters from the command line"
win_in typed-128 protect "$plain" full.plk || fail "Windows build refused 128 characters"

# An encrypted list's password matches in any case as Windows compares letters, beyond the few
# alphabets that the portable fold knows (Ukrainian Ghe with upturn and Ie here).
printf '\xef\xbb\xbfone\r\n' >unicode.txt
printf '\xd2\x90\xd0\x84\n' >typed-upper
printf '\xd2\x91\xd1\x94\n' >typed-lower
win_in typed-upper encrypt unicode.txt case.ple || fail "Windows encrypt"
win_in typed-lower decrypt case.ple case.txt || fail "Windows decrypt with the password in other case"
cmp -s unicode.txt case.txt || fail "Windows decrypt differs"

[ "$failures" -eq 0 ] && echo "protected lists cross-read between the builds"
exit $((failures > 0))
