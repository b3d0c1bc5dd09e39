#!/usr/bin/env bash
# Peak memory (maximum resident set) of the Skerrit release binary converting 1 MB and 20 MB of
# text and 1 MB and 10 MB HTML pages, each run measured on its own. Pages of any size must convert
# in constant memory, so the script fails when a large input needs clearly more than its small
# counterpart. Usage: scripts/measure-peak-memory.sh [path-to-Skerrit]
# Without a path it builds the release preset's Skerrit (in build/release) first.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

binary=${1:-}
if [ -z "$binary" ]; then
    cmake --preset release >/dev/null
    cmake --build --preset release --target Skerrit >/dev/null
    binary=build/release/skerrit/Skerrit
fi
binary=$(realpath "$binary")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Reproducible inputs: English-like words from a fixed xorshift generator; the pages dress them
# in headings, styles, links to their own anchors, lists, bordered tables and rules.
python3 - "$work" <<'EOF'
import sys

WORDS = ("the of and to a in that it was he for on is with as his they at be this from had not "
         "but by she or have you which one were her all we there when an their would been said "
         "into more no out up what some could them time very only over little before people "
         "through never house water river morning evening garden window letter captain country "
         "thought remember question together something however perhaps children business "
         "harbour beautiful afterwards certainly document database conversion").split()

def lines(size, seed):
    state = seed
    out, total, line = [], 0, []
    while total < size:
        state ^= (state << 13) & 0xFFFFFFFFFFFFFFFF
        state ^= state >> 7
        state ^= (state << 17) & 0xFFFFFFFFFFFFFFFF
        line.append(WORDS[state % len(WORDS)])
        if sum(len(w) + 1 for w in line) > 70:
            text = " ".join(line)
            out.append(text)
            total += len(text) + 1
            line = []
    return out

def text(size):
    return "\n".join(lines(size, 0x9E3779B97F4A7C15)).encode()[:size]

def page(size):
    prose = lines(2 * 1024 * 1024, 7)
    parts, total, n, section = ["<HTML><HEAD><TITLE>Page</TITLE></HEAD><BODY>\n"], 0, 0, 0
    def line():
        nonlocal n
        n += 1
        return prose[n % len(prose)]
    while total < size:
        s = [f'<H2><A NAME="s{section}">{line()}</A></H2>\n']
        for _ in range(3):
            words = line().split(" ", 2)
            s.append(f"<P>{words[0]} <B>{words[1]}</B> <I>{words[2]}</I>\n")
            s.extend(f"<FONT SIZE=+1>{line()}</FONT>\n{line()}\n" for _ in range(4))
        s.append("<UL>\n" + "".join(f"<LI>{line()}\n" for _ in range(4)) + "</UL>\n")
        s.append("<OL START=2><LI>" + line() + "<LI>" + line() + "</OL>\n<TABLE BORDER=1>\n")
        s.extend(f"<TR><TD>{line()}<TD>{line()}\n" for _ in range(2))
        s.append(f'</TABLE>\n<HR WIDTH="60%">\n<P>See <A HREF="#s{section // 2}">{line()}</A>.\n')
        chunk = "".join(s)
        parts.append(chunk)
        total += len(chunk)
        section += 1
    parts.append("</BODY></HTML>\n")
    return "".join(parts).encode()

folder = sys.argv[1]
MB = 1024 * 1024
for name, data in (("text-1MB.txt", text(MB)), ("text-20MB.txt", text(20 * MB)),
                   ("page-1MB.htm", page(MB)), ("page-10MB.htm", page(10 * MB))):
    with open(f"{folder}/{name}", "wb") as out:
        out.write(data)
EOF

# One run in a fresh measuring process, so that the children's maximum is this run's alone. The
# child is forked from Python and counts what it held before exec as its own, so every figure
# includes a floor of a few MB: the script measures that floor (a run of /bin/true) and prints it.
# Python starts without site packages (-S) and forks directly to keep the floor low.
peak_kb() {
    python3 -S - "$work/run.log" "$@" <<'EOF'
import os, resource, sys
log, program = sys.argv[1], sys.argv[2:]
pid = os.fork()
if pid == 0:
    os.dup2(os.open(os.devnull, os.O_RDONLY), 0)
    out = os.open(log, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
    os.dup2(out, 1)
    os.dup2(out, 2)
    os.execv(program[0], program)
_, status = os.waitpid(pid, 0)
with open(log, "rb") as output:
    text = output.read()
if status != 0 or (len(program) > 1 and b"Conversion successfully completed." not in text):
    sys.exit("%s failed:\n%s" % (" ".join(program), text.decode(errors="replace")))
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
EOF
}

convert_kb() {
    peak_kb "$binary" -y "$work/$1" "$work/out.pdb"
}

# GNU time, when present, forks from a small process: its figure shows the program's own peak.
gnu_time_kb() {
    if [ -x /usr/bin/time ]; then
        /usr/bin/time -f %M -o "$work/time.txt" "$binary" -y "$work/$1" "$work/out.pdb" \
            </dev/null >/dev/null && cat "$work/time.txt"
    else
        echo "-"
    fi
}

status=0
check() {
    local what=$1 small=$2 large=$3
    local small_kb large_kb small_time large_time
    small_kb=$(convert_kb "$small")
    large_kb=$(convert_kb "$large")
    small_time=$(gnu_time_kb "$small")
    large_time=$(gnu_time_kb "$large")
    printf '%-5s %-14s %6s KB (GNU time %s KB)   %-14s %6s KB (GNU time %s KB)\n' \
        "$what" "$small" "$small_kb" "$small_time" "$large" "$large_kb" "$large_time"
    # Half a megabyte of slack for the allocator's own growth.
    if [ "$large_kb" -gt $((small_kb + 512)) ] ||
        { [ "$large_time" != "-" ] && [ "$large_time" -gt $((small_time + 512)) ]; }; then
        echo "peak memory grows with the input ($what)"
        status=1
    fi
}
echo "Peak resident memory of $binary"
echo "floor (the measuring process's own share, a run of /bin/true): $(peak_kb /bin/true) KB"
check text text-1MB.txt text-20MB.txt
check HTML page-1MB.htm page-10MB.htm
exit $status
