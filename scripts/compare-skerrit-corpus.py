#!/usr/bin/env python3
"""Makes the generated part of the corpus of scripts/compare-skerrit-outputs.sh in a folder:
english.txt (English-like text of several groups of chunks, with tabs and both line ends),
binary.txt (every byte value but 0 among words), empty.txt, chain/ (301 pages each linking to the
next, past the depth at which links are recorded) and wide/ (a page linking to 40,000 pages that
do not exist, past the page and page-table limits)."""
import os
import random
import sys

folder = sys.argv[1]
rng = random.Random(20240611)
words = ['the', 'harbour', 'light', 'was', 'burning', 'over', 'grey', 'water', 'and', 'boats',
         'came', 'home', 'slow', 'against', 'a', 'wind', 'from', 'north', 'caf\xe9', 'cr\xe8me']

lines = []
for line in range(60000):
    text = ' '.join(rng.choice(words) for _ in range(rng.randint(1, 12)))
    if line % 9 == 0:
        text = '\t' + text.replace(' ', '\t', 1)
    lines.append(text + ('\r\n' if line % 3 else '\n') + ('\n' if line % 11 == 0 else ''))
with open(os.path.join(folder, 'english.txt'), 'w', encoding='latin-1', newline='') as out:
    out.write(''.join(lines))

binary = bytearray()
for round_ in range(40):
    for value in range(1, 256):
        binary.append(value)
        if value % 16 == 0:
            binary += ' '.join(rng.choice(words) for _ in range(5)).encode('latin-1') + b'\n'
with open(os.path.join(folder, 'binary.txt'), 'wb') as out:
    out.write(binary)

open(os.path.join(folder, 'empty.txt'), 'wb').close()

os.makedirs(os.path.join(folder, 'chain'), exist_ok=True)
for page in range(301):
    with open(os.path.join(folder, 'chain', 'p%d.htm' % page), 'w') as out:
        out.write('<html><h1>Page %d</h1><p>Text of page %d. <a href="p%d.htm">next</a> '
                  '<a href="#top">top</a><a name="top"></a>\n' % (page, page, page + 1))

os.makedirs(os.path.join(folder, 'wide'), exist_ok=True)
with open(os.path.join(folder, 'wide', 'start.htm'), 'w') as out:
    out.write('<html><p>Many pages: ')
    out.write(''.join('<a href="t%d.htm">%d</a> ' % (target, target) for target in range(40000)))
    out.write('\n')
