#!/usr/bin/env bash
# Drives pelmar-cli through every subcommand and every error exit. Usage: cli_test.sh PATH/TO/pelmar-cli
set -u
cli=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect CODE CMD...: runs the command, standard input from the file $input (else empty), checks its exit code.
expect() {
    local want=$1; shift
    "$@" <"${input:-/dev/null}" >"$dir/stdout" 2>"$dir/stderr"
    local got=$?
    [ "$got" -eq "$want" ] || fail "exit $got, wanted $want: $* ($(cat "$dir/stderr"))"
    if [ "$want" -ne 0 ] && [ "$(wc -l <"$dir/stderr")" -lt 1 ]; then fail "no message: $*"; fi
}

same() { cmp -s "$1" "$2" || fail "files differ: $1 $2"; }
absent() { [ ! -e "$1" ] || fail "should not exist: $1"; }
no_temp_files() { ! ls "$dir" | grep -q pelmar-tmp || fail "temporary file left behind"; }

# Usage errors.
expect 1 "$cli"
expect 1 "$cli" frobnicate a b
expect 1 "$cli" show
expect 1 "$cli" lzhuf-encode only-one
expect 1 "$cli" show a b
expect 1 "$cli" show a --password
expect 1 "$cli" show a --bogus
expect 1 "$cli" lzhuf-encode a b --password x
expect 1 "$cli" encrypt a b
expect 1 "$cli" encrypt a b --password elevenchars
grep -q usage "$dir/stderr" || fail "usage text missing"

# Raw codec: round trip, empty input, damaged streams.
head -c 100000 /dev/urandom >"$dir/random.bin"
for i in $(seq 1 3000); do echo "entry number $i of the list"; done >"$dir/text.txt"
for f in random.bin text.txt; do
    expect 0 "$cli" lzhuf-encode "$dir/$f" "$dir/$f.lzh"
    expect 0 "$cli" lzhuf-decode "$dir/$f.lzh" "$dir/$f.back"
    same "$dir/$f" "$dir/$f.back"
done
: >"$dir/empty"
expect 0 "$cli" lzhuf-encode "$dir/empty" "$dir/empty.lzh"
[ "$(od -An -tx1 "$dir/empty.lzh" | tr -d ' \n')" = 00000000 ] || fail "empty input is not four zero bytes"
expect 0 "$cli" lzhuf-decode "$dir/empty.lzh" "$dir/empty.back"
same "$dir/empty" "$dir/empty.back"
head -c 1000 "$dir/text.txt.lzh" >"$dir/cut.lzh"
expect 2 "$cli" lzhuf-decode "$dir/cut.lzh" "$dir/cut.out"
absent "$dir/cut.out"
printf 'ab' >"$dir/short.lzh"
expect 2 "$cli" lzhuf-decode "$dir/short.lzh" "$dir/short.out"
printf '\xff\xff\xff\x7f\x00' >"$dir/huge.lzh"
expect 2 "$cli" lzhuf-decode "$dir/huge.lzh" "$dir/huge.out"
expect 2 "$cli" lzhuf-encode "$dir/missing" "$dir/missing.out"
expect 2 "$cli" lzhuf-encode "$dir/text.txt" "$dir/no/such/dir/out"
# What is not a regular file is refused with a message: no abort, no wait for a writer.
mkfifo "$dir/fifo"
ln -s "$dir/missing" "$dir/dangling"
truncate -s 4294967297 "$dir/huge"  # sparse: longer than any 32-bit length
for bad in "$dir" "$dir/fifo" "$dir/dangling" "$dir/huge"; do
    expect 2 timeout 20 "$cli" lzhuf-encode "$bad" "$dir/bad.out"
done
absent "$dir/bad.out"
rm "$dir/huge"

# Plain and login lists.
printf '\nfirst\r\n\r\nsecond\nthird' >"$dir/plain.txt"
expect 0 "$cli" show "$dir/plain.txt"
printf '\nfirst\nsecond\nthird\n' | cmp -s - "$dir/stdout" || fail "show plain list"
# Login "ab" and password "c1" are stored shifted down by 10: "WX" and "Y'".
printf "site\r\nWX\r\nY'\r\nother\r\n" >"$dir/logins.PLR"
expect 0 "$cli" show "$dir/logins.PLR"
printf 'site\tab\tc1\nother\t\t\n' | cmp -s - "$dir/stdout" || fail "show login list"

# Encrypted lists.
expect 0 "$cli" encrypt "$dir/plain.txt" "$dir/list.ple" --password Secret
head -c 23 "$dir/list.ple" | cmp -s - <(printf 'Pelmar Encrypted File\r\n') || fail "header"
[ "$(od -An -tu1 -j32 -N2 "$dir/list.ple" | tr -s ' ')" = " 8 8" ] || fail "name length"
[ "$(dd if="$dir/list.ple" bs=1 skip=34 count=8 2>/dev/null)" = list.ple ] || fail "name field"
size=$(stat -c %s "$dir/list.ple")
[ "$(od -An -tu4 -j24 -N4 "$dir/list.ple" | tr -d ' ')" = "$size" ] || fail "total length"
expect 0 "$cli" show "$dir/list.ple" --password sECRET
printf ' \nfirst\nsecond\nthird\n' | cmp -s - "$dir/stdout" || fail "show encrypted list"
expect 2 "$cli" show "$dir/list.ple" --password wrong
expect 2 "$cli" show "$dir/list.ple"
expect 0 "$cli" decrypt "$dir/list.ple" "$dir/plain.out" --password secret
printf ' \r\nfirst\r\nsecond\r\nthird\r\n' | cmp -s - "$dir/plain.out" || fail "decrypt"
expect 2 "$cli" decrypt "$dir/list.ple" "$dir/wrong.out" --password nope
absent "$dir/wrong.out"
# A failed decrypt leaves an existing output as it was.
cp "$dir/plain.txt" "$dir/keep.txt"
expect 2 "$cli" decrypt "$dir/list.ple" "$dir/keep.txt"
same "$dir/plain.txt" "$dir/keep.txt"
# The name field is in the ANSI code page where the name fits it.
expect 0 "$cli" encrypt "$dir/plain.txt" "$dir/$(printf '\xc3\x89t\xc3\xa9').ple" --password x
[ "$(od -An -tx1 -j32 -N9 "$dir/$(printf '\xc3\x89t\xc3\xa9').ple" | tr -d ' ')" = 0707c974e92e706c65 ] ||
    fail "name field not in Windows-1252"
# The name field is the output's name after the last '/' or '\'.
expect 0 "$cli" encrypt "$dir/plain.txt" "$dir/x\\y.ple" --password ""
[ "$(dd if="$dir/x\\y.ple" bs=1 skip=34 count=5 2>/dev/null)" = y.ple ] || fail "name after backslash"
# An empty stored password opens without one.
expect 0 "$cli" show "$dir/x\\y.ple"
# A plain text named .ple is refused, and so is a cut encrypted file.
cp "$dir/plain.txt" "$dir/fake.ple"
expect 2 "$cli" show "$dir/fake.ple"
grep -q "File error" "$dir/stderr" || fail "File error message"
head -c $((size - 1)) "$dir/list.ple" >"$dir/cut.ple"
expect 2 "$cli" decrypt "$dir/cut.ple" "$dir/cut.txt" --password secret
absent "$dir/cut.txt"
expect 2 "$cli" show "$dir/missing.ple"

# Without --password the password is the first line of standard input; an empty input has none.
printf 'sECRET\r\nnot this\n' >"$dir/typed"
input="$dir/typed" expect 0 "$cli" show "$dir/list.ple"
printf ' \nfirst\nsecond\nthird\n' | cmp -s - "$dir/stdout" || fail "show with the typed password"
printf 'Other\n' >"$dir/typed"
input="$dir/typed" expect 2 "$cli" decrypt "$dir/list.ple" "$dir/typed.txt"
input="$dir/typed" expect 0 "$cli" encrypt "$dir/plain.txt" "$dir/typed.ple"
expect 0 "$cli" show "$dir/typed.ple" --password other
expect 1 "$cli" encrypt "$dir/plain.txt" "$dir/untyped.ple"
absent "$dir/untyped.ple"

# The temporary output is created new under an unguessable name, so a link planted at the old fixed name
# leads nowhere. A new decrypted list is its owner's alone; a replaced file keeps its mode.
ln -s "$dir/victim" "$dir/clear.txt.pelmar-tmp"
expect 0 "$cli" decrypt "$dir/list.ple" "$dir/clear.txt" --password secret
absent "$dir/victim"
[ -f "$dir/clear.txt" ] && [ ! -L "$dir/clear.txt" ] || fail "the output is the planted link"
[ "$(stat -c %a "$dir/clear.txt")" = 600 ] || fail "a new decrypted list is readable by others"
rm "$dir/clear.txt.pelmar-tmp"
chmod 640 "$dir/clear.txt"
expect 0 "$cli" lzhuf-encode "$dir/text.txt" "$dir/clear.txt"
[ "$(stat -c %a "$dir/clear.txt")" = 640 ] || fail "a replaced file lost its mode"

# Encodings: show prints UTF-8 (ANSI read as Windows-1252 or --codepage); encrypt and decrypt keep
# the list's own bytes, UTF-16 included, and take the password as UTF-8.
printf 'caf\xe9\r\n\x80\r\n' >"$dir/ansi.txt"
expect 0 "$cli" show "$dir/ansi.txt"
printf 'caf\xc3\xa9\n\xe2\x82\xac\n' | cmp -s - "$dir/stdout" || fail "show ANSI list"
expect 0 "$cli" show "$dir/ansi.txt" --codepage 1251
printf 'caf\xd0\xb9\n\xd0\x82\n' | cmp -s - "$dir/stdout" || fail "show ANSI list in code page 1251"
expect 1 "$cli" show "$dir/ansi.txt" --codepage 12345
printf '\xff\xfe\x0d\x01\r\0\n\0' >"$dir/utf16.txt"
printf '\xc3\xa9%.0s' 1 2 3 4 5 6 7 8 9 10 >"$dir/near.txt" # UTF-8 but for one stray byte
printf '\r\nx\xffy\r\n' >>"$dir/near.txt"
for f in ansi utf16 near; do
    expect 0 "$cli" encrypt "$dir/$f.txt" "$dir/$f.ple" --password $'P\xc3\xa4ss'
    expect 0 "$cli" decrypt "$dir/$f.ple" "$dir/$f.out" --password $'p\xc3\xa4ss'
    same "$dir/$f.txt" "$dir/$f.out"
done
expect 0 "$cli" show "$dir/utf16.ple" --password $'p\xc3\xa4ss'
printf '\xc4\x8d\n' | cmp -s - "$dir/stdout" || fail "show UTF-16 list"

# Protected lists: a plain and a login list come back byte for byte; a wrong password or a changed
# byte fails with exit 2 and writes nothing.
printf 'one\r\ntwo\n\nthree' >"$dir/raw.txt"
expect 0 "$cli" protect "$dir/raw.txt" "$dir/raw.plk" --password 'p ss'
[ "$(head -c 12 "$dir/raw.plk" | od -An -c | tr -s ' ')" = " P E L M A R P L 001 \0 001 \0" ] || fail "plk header"
[ "$(od -An -tu4 -j12 -N4 "$dir/raw.plk" | tr -d ' ')" = 600000 ] || fail "iterations"
expect 0 "$cli" unprotect "$dir/raw.plk" "$dir/raw.back" --password 'p ss'
same "$dir/raw.txt" "$dir/raw.back"
expect 0 "$cli" protect "$dir/logins.PLR" "$dir/logins.plk" --password pw
expect 0 "$cli" show "$dir/logins.plk" --password pw
printf 'site\tab\tc1\nother\t\t\n' | cmp -s - "$dir/stdout" || fail "show protected login list"
expect 0 "$cli" unprotect "$dir/logins.plk" "$dir/logins.back" --password pw
same "$dir/logins.PLR" "$dir/logins.back"
expect 2 "$cli" unprotect "$dir/logins.plk" "$dir/wrong.txt" --password Pw
grep -q "Incorrect password, or the file is damaged! File not opened." "$dir/stderr" || fail "wrong password message"
# A password longer than the program's dialog takes (128 UTF-16 units) is refused, with nothing written.
printf '\xd0\x96%.0s' $(seq 129) >"$dir/typed" && echo >>"$dir/typed"
input="$dir/typed" expect 2 "$cli" protect "$dir/raw.txt" "$dir/long.plk"
input="$dir/typed" expect 2 "$cli" unprotect "$dir/logins.plk" "$dir/long.txt"
expect 2 "$cli" protect "$dir/raw.txt" "$dir/long.plk" --password "$(printf 'a%.0s' $(seq 129))"
absent "$dir/long.plk"
absent "$dir/long.txt"
printf '\xd0\x96%.0s' $(seq 128) >"$dir/typed" && echo >>"$dir/typed"
input="$dir/typed" expect 0 "$cli" protect "$dir/raw.txt" "$dir/full.plk"
byte=$(od -An -tu1 -j50 -N1 "$dir/raw.plk")
printf "\\x$(printf %02x $((byte ^ 1)))" | dd of="$dir/raw.plk" bs=1 seek=50 conv=notrunc 2>/dev/null
expect 2 "$cli" unprotect "$dir/raw.plk" "$dir/damaged.txt" --password 'p ss'
absent "$dir/wrong.txt"
absent "$dir/damaged.txt"
cp "$dir/plain.txt" "$dir/fake.plk"
expect 2 "$cli" show "$dir/fake.plk" --password pw
grep -q "File error" "$dir/stderr" || fail "File error message for .plk"
# A login line whose clear form would end the line could not come back byte for byte.
printf 'site\r\n\x03\r\npw\r\n' >"$dir/odd.plr"
expect 2 "$cli" protect "$dir/odd.plr" "$dir/odd.plk" --password pw
absent "$dir/odd.plk"
expect 1 "$cli" protect "$dir/raw.txt" "$dir/nopw.plk"
expect 1 "$cli" protect "$dir/list.ple" "$dir/ple.plk" --password pw
absent "$dir/nopw.plk"
no_temp_files

# Logins from CSV exports: a new .plr holds them as the program stores logins; an append keeps the entries
# first and skips those already there (and turns the file UTF-8 with its mark for a label ANSI cannot hold);
# a .plk opens with its own password; a refused file writes nothing.
printf 'name,url,username,password,note\r\n"Mail, home",https://m.example.com,ab,"c1","two\r\nlines"\r\n' >"$dir/logins.csv"
printf ',https://x.example.com/login,ab,c1,\r\n' >>"$dir/logins.csv"
printf 'url,username,password,totp,extra,name,grouping,fav\nhttps://x.example.com/login,ab,c1,,,,,0\n' >"$dir/more.csv"
printf 'https://n.example.com,new,pw,JBSWY3DP,,\xd0\x9f\xd0\xbe,,0\n' >>"$dir/more.csv"
expect 0 "$cli" import-csv "$dir/logins.csv" "$dir/new.plr"
printf "Mail, home\r\nWX\r\nY'\r\nx.example.com\r\nWX\r\nY'\r\n" | cmp -s - "$dir/new.plr" || fail "import-csv into a new .plr"
[ "$(cat "$dir/stderr")" = "imported 2, skipped 0" ] || fail "import summary: $(cat "$dir/stderr")"
expect 0 "$cli" import-csv "$dir/more.csv" "$dir/new.plr"
[ "$(cat "$dir/stderr")" = "imported 1, skipped 1 (already in the list: 1); 1 one-time-code (TOTP) secrets not imported" ] ||
    fail "append summary: $(cat "$dir/stderr")"
head -c 3 "$dir/new.plr" | cmp -s - <(printf '\xef\xbb\xbf') || fail "a label ANSI cannot hold makes the list UTF-8"
expect 0 "$cli" show "$dir/new.plr"
printf 'Mail, home\tab\tc1\nx.example.com\tab\tc1\n\xd0\x9f\xd0\xbe\tnew\tpw\n' >"$dir/imported.txt"
same "$dir/imported.txt" "$dir/stdout"
expect 0 "$cli" import-csv "$dir/logins.csv" "$dir/new.plk" --password 'p w'
printf 'p w\n' >"$dir/typed"
input="$dir/typed" expect 0 "$cli" import-csv "$dir/more.csv" "$dir/new.plk"
expect 0 "$cli" show "$dir/new.plk" --password 'p w'
same "$dir/imported.txt" "$dir/stdout"
cp "$dir/new.plk" "$dir/kept.plk"
expect 2 "$cli" import-csv "$dir/more.csv" "$dir/new.plk" --password 'P w'
same "$dir/kept.plk" "$dir/new.plk"
expect 0 "$cli" unprotect "$dir/new.plk" "$dir/new.back" --password 'p w'
same "$dir/new.plr" "$dir/new.back"
cp "$dir/new.plr" "$dir/kept.plr"
printf 'name,url,username\nA,https://a,me\n' >"$dir/nopass.csv"
for bad in nopass.csv random.bin; do
    expect 2 "$cli" import-csv "$dir/$bad" "$dir/new.plr"
    [ "$(wc -l <"$dir/stderr")" -eq 1 ] || fail "import-csv refusal in one line: $bad"
    expect 2 "$cli" import-csv "$dir/$bad" "$dir/refused.plk" --password pw
done
same "$dir/kept.plr" "$dir/new.plr"
absent "$dir/refused.plk"
printf 'username,password\n*,x\n' >"$dir/star.csv"
expect 0 "$cli" import-csv "$dir/star.csv" "$dir/new.plr"
[ "$(cat "$dir/stderr")" = "imported 0, skipped 1 (login or password is *: 1)" ] || fail "all rows skipped"
expect 1 "$cli" import-csv "$dir/logins.csv" "$dir/logins.txt"
expect 1 "$cli" import-csv "$dir/logins.csv" "$dir/nopw.plk"
absent "$dir/logins.txt"
absent "$dir/nopw.plk"
no_temp_files

[ "$failures" -eq 0 ] && echo "all cli checks passed"
exit $((failures > 0))
