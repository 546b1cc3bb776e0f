#!/usr/bin/env bash
# The codec as a command: pelmar-cli lzhuf-encode / lzhuf-decode against bench/lzhuf_ref.c (plain C, same
# -O2), each timed as a whole process on 8 MiB of English-like text and 8 MiB of random bytes. Checks
# that both produce the same streams and texts, then prints the best and the median of RUNS runs.
# Reports only; asserts nothing about speed. usage: bench/codec_cli_bench.sh [RUNS]   (default 7)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-7}
work=build/bench/cli-bench
mkdir -p "$work"

if [[ ! -x build/bench/pelmar-cli ]]; then
  { cmake --preset bench && cmake --build build/bench -j2 --target pelmar-cli; } >/dev/null
fi
cc=${CC:-gcc}
"$cc" -O2 -DNDEBUG -Wall -Wextra -Werror -o "$work/lzhuf_ref" bench/lzhuf_ref.c
cli=build/bench/pelmar-cli
ref=$work/lzhuf_ref

# Deterministic inputs: a fixed 64-bit generator, so every machine and Python version makes the same bytes.
python3 - "$work" <<'EOF'
import bisect, struct, sys
size = 8 << 20
state = 0x9E3779B97F4A7C15
def nxt():
    global state
    state = (state + 0x9E3779B97F4A7C15) & 0xFFFFFFFFFFFFFFFF
    z = state
    z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & 0xFFFFFFFFFFFFFFFF
    z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & 0xFFFFFFFFFFFFFFFF
    return z ^ (z >> 31)
words = ("the of and to a in is that for it as was with be by on not he this are or his from at which "
         "but have an had they you were their one all we can her has there been if more when will would "
         "who so no window password entry morning letter account country between through government "
         "something however important different following remember question children together").split()
cum, total = [], 0.0
for i in range(len(words)):
    total += 1.0 / (i + 1)        # Zipf-like weights
    cum.append(total)
out, n, line = [], 0, 0
while n < size:
    w = words[bisect.bisect(cum, (nxt() >> 11) / float(1 << 53) * total)]
    line += 1
    w += ".\r\n" if line % 9 == 0 else " "
    out.append(w)
    n += len(w)
open(sys.argv[1] + "/text.bin", "wb").write("".join(out).encode()[:size])
open(sys.argv[1] + "/random.bin", "wb").write(b"".join(struct.pack("<Q", nxt()) for _ in range(size // 8)))
EOF

# Same streams and same texts back, from both programs.
for input in text random; do
  f=$work/$input.bin
  "$cli" lzhuf-encode "$f" "$work/$input.ours.lzh"
  "$ref" e "$f" "$work/$input.ref.lzh"
  cmp "$work/$input.ours.lzh" "$work/$input.ref.lzh" || { echo "$input: streams differ" >&2; exit 1; }
  "$cli" lzhuf-decode "$work/$input.ref.lzh" "$work/$input.ours.out"
  "$ref" d "$work/$input.ref.lzh" "$work/$input.ref.out"
  cmp "$f" "$work/$input.ours.out" && cmp "$f" "$work/$input.ref.out" || { echo "$input: decode differs" >&2; exit 1; }
done

# Wall time of one run of a command, in milliseconds.
ms_of() {
  local s e
  s=$(date +%s%N)
  "$@" >/dev/null
  e=$(date +%s%N)
  echo $(((e - s) / 1000000))
}

# Best and median of a list of times.
best_median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {printf "%d %d\n", a[1], a[int((NR+1)/2)]}'; }

mbps() { awk -v ms="$1" 'BEGIN {printf "%.1f", 8 * 1048576 / 1e6 / (ms / 1000)}'; }

printf '%-7s %-6s %16s %16s %9s\n' input op "ours best/median" "ref best/median" "ref/ours"
for input in text random; do
  f=$work/$input.bin
  s=$work/$input.ref.lzh
  for op in encode decode; do
    if [[ $op == encode ]]; then
      a=("$cli" lzhuf-encode "$f" "$work/o.lzh"); b=("$ref" e "$f" "$work/r.lzh")
    else
      a=("$cli" lzhuf-decode "$s" "$work/o.out"); b=("$ref" d "$s" "$work/r.out")
    fi
    # Ours and the reference alternate, so a burst of load from others hits both alike.
    ta=() tb=()
    for ((i = 0; i < runs; i++)); do
      ta+=("$(ms_of "${a[@]}")")
      tb+=("$(ms_of "${b[@]}")")
    done
    read -r ob om < <(best_median "${ta[@]}")
    read -r rb rm < <(best_median "${tb[@]}")
    printf '%-7s %-6s %7d/%-5d ms %7d/%-5d ms %8s   (best: %s vs %s MB/s)\n' "$input" "$op" "$ob" "$om" "$rb" "$rm" \
      "$(awk -v r="$rb" -v o="$ob" 'BEGIN {printf "%.2fx", r / o}')" "$(mbps "$ob")" "$(mbps "$rb")"
  done
done
