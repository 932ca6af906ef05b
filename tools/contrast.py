#!/usr/bin/python3
"""Contrast of what a screenshot shows, as the accessibility guidelines compute it.

  tools/contrast.py SHOT.png NAME=X,Y,W,H [NAME=X,Y,W,H ...]
For each region: its most frequent colour (the background), the colour of the text or the
state's mark (of the colours that cover a fair share of the rest, the one farthest from the
background: anti-aliasing only blends the two), and their contrast ratio, to be held
against 4.5:1 for text and 3:1 for a control's state.
"""
import collections
import subprocess
import sys


def linear(channel):
    c = channel / 255
    return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4


def luminance(rgb):
    r, g, b = (linear(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def ratio(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def colours(shot, x, y, w, h):
    out = subprocess.run(["convert", shot, "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8",
                          "txt:-"], check=True, capture_output=True, text=True).stdout
    counts = collections.Counter()
    for line in out.splitlines()[1:]:
        hexa = line.split()[2]
        counts[tuple(int(hexa[i:i + 2], 16) for i in (1, 3, 5))] += 1
    return counts


def main():
    shot = sys.argv[1]
    for region in sys.argv[2:]:
        name, box = region.split("=")
        counts = colours(shot, *(int(v) for v in box.split(",")))
        background = counts.most_common(1)[0][0]
        rest = sum(counts.values()) - counts[background]
        others = [c for c, n in counts.items() if c != background and n >= max(3, rest * 0.04)]
        if not others:
            print(f"{name}: one colour only ({'#%02X%02X%02X' % background})")
            continue
        mark = max(others, key=lambda c: ratio(c, background))
        print(f"{name}: {'#%02X%02X%02X' % mark} on {'#%02X%02X%02X' % background}: "
              f"{ratio(mark, background):.2f}:1")


main()
