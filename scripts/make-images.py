#!/usr/bin/env python3
"""Draws the program's small images (tree image strips, window icons, the two
pointer shapes, the About picture) as XPM files in src/resources/, and the
program's icon for the desktop menu as SVG with its PNGs in the hicolor sizes
in packaging/icons/ (rendered by rsvg-convert from librsvg2-bin). Run it again
after changing a drawing; the XPM, SVG and PNG files are committed."""
import math
import os
import shutil
import subprocess

HERE = os.path.dirname(__file__)
OUT = os.path.join(HERE, '..', 'src', 'resources')
ICONS = os.path.join(HERE, '..', 'packaging', 'icons')
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)

PALETTE = {
    '.': None,        # transparent
    'k': '#000000', 'w': '#FFFFFF', 'g': '#808080', 'l': '#C0C0C0', 'd': '#404040',
    'y': '#FFD800', 'o': '#E08000', 'r': '#D00000', 'b': '#2050C0', 'n': '#000080',
    'c': '#80C0FF', 'e': '#208020', 'p': '#F0E0C0', 's': '#A06030', 't': '#FFF4B0',
}


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [['.'] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, fill=None, border=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                if edge and border:
                    self.set(x, y, border)
                elif fill:
                    self.set(x, y, fill)

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.set(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)

    def disc(self, cx, cy, r, c):
        for y in range(int(cy - r), int(cy + r) + 1):
            for x in range(int(cx - r), int(cx + r) + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.set(x, y, c)

    def paste(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                if other.px[y][x] != '.':
                    self.set(ox + x, oy + y, other.px[y][x])

    def write(self, name):
        used = sorted({c for row in self.px for c in row})
        lines = ['/* XPM */', 'static const char *%s[] = {' % name.replace('-', '_'),
                 '"%d %d %d 1",' % (self.w, self.h, len(used))]
        for c in used:
            lines.append('"%s c %s",' % (c, PALETTE[c] or 'None'))
        for i, row in enumerate(self.px):
            lines.append('"%s"%s' % (''.join(row), ',' if i + 1 < self.h else ''))
        lines.append('};')
        with open(os.path.join(OUT, name + '.xpm'), 'w') as f:
            f.write('\n'.join(lines) + '\n')


def envelope(open_=False, fill='w', mark=None):
    c = Canvas(16, 16)
    c.rect(1, 4, 14, 13, fill, 'd')
    if open_:
        c.line(1, 4, 7, 0, 'd'); c.line(14, 4, 8, 0, 'd')
        c.rect(3, 2, 12, 8, 'p', None)
        c.line(1, 13, 7, 8, 'g'); c.line(14, 13, 8, 8, 'g')
    else:
        c.line(1, 4, 7, 9, 'd'); c.line(14, 4, 8, 9, 'd')
    if mark:
        c.disc(13, 3, 2.5, mark)
    return c


def folder(fill, mark=None):
    c = Canvas(16, 16)
    c.rect(1, 3, 6, 5, fill, 'd')
    c.rect(1, 5, 14, 13, fill, 'd')
    if mark:
        c.paste(mark, 0, 0)
    return c


def station():
    c = Canvas(16, 16)
    c.rect(2, 2, 13, 10, 'c', 'd')
    c.rect(4, 4, 11, 8, 'b', None)
    c.rect(6, 11, 9, 12, 'g', None)
    c.rect(3, 13, 12, 14, 'l', 'd')
    return c


def bubble(mark=None):
    c = Canvas(16, 16)
    c.rect(1, 2, 14, 10, 't', 'd')
    c.line(4, 11, 4, 14, 'd'); c.line(4, 14, 8, 10, 'd'); c.set(5, 11, 't'); c.set(5, 12, 't'); c.set(6, 11, 't')
    for y in (4, 6, 8):
        c.line(3, y, 11, y, 'g')
    if mark:
        c.disc(13, 3, 2.5, mark)
    return c


def check():
    c = Canvas(16, 16)
    c.line(6, 10, 8, 12, 'e'); c.line(8, 12, 13, 7, 'e'); c.line(6, 11, 8, 13, 'e'); c.line(8, 13, 13, 8, 'e')
    return c


def dot(colour):
    c = Canvas(16, 16)
    c.disc(12, 4, 3, colour)
    return c


def hourglass():
    c = Canvas(16, 16)
    c.rect(8, 7, 15, 8, 'd', None); c.rect(8, 15, 15, 15, 'd', None)
    for i in range(3):
        c.line(9 + i, 9 + i, 14 - i, 9 + i, 'y')
        c.line(9 + i, 14 - i, 14 - i, 14 - i, 'y')
    return c


def strip(images):
    s = Canvas(16 * len(images), 16)
    for i, img in enumerate(images):
        s.paste(img, 16 * i, 0)
    return s


def scaled(img, factor):
    c = Canvas(img.w * factor, img.h * factor)
    for y in range(img.h):
        for x in range(img.w):
            for dy in range(factor):
                for dx in range(factor):
                    c.set(x * factor + dx, y * factor + dy, img.px[y][x])
    return c


def arrow_cursor(extra):
    c = Canvas(32, 32)
    rows = ['k', 'kk', 'kwk', 'kwwk', 'kwwwk', 'kwwwwk', 'kwwwwwk', 'kwwwwwwk', 'kwwwwwwwk', 'kwwwwwwwwk',
            'kwwwwwkkkk', 'kwwkwwk', 'kwk kwwk', 'kk  kwwk', 'k    kwwk', '     kwwk', '      kk']
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch in 'kw':
                c.set(x, y, ch)
    c.paste(extra, 14, 14)
    return c


def tree_mark():
    c = Canvas(18, 18)
    c.rect(0, 0, 5, 4, 'y', 'd')
    c.line(2, 5, 2, 15, 'd'); c.line(2, 9, 8, 9, 'd'); c.line(2, 15, 8, 15, 'd')
    c.rect(9, 7, 15, 11, 'w', 'd'); c.rect(9, 13, 15, 17, 'w', 'd')
    return c


def page_mark():
    c = Canvas(18, 18)
    c.rect(2, 0, 15, 17, 'w', 'd')
    for y in range(3, 16, 3):
        c.line(4, y, 13, y, 'b' if y % 2 else 'g')
    return c


def portrait():
    c = Canvas(144, 190)
    c.rect(0, 0, 143, 189, 'c', None)
    for y in range(120, 190):
        for x in range(144):
            c.set(x, y, 'e' if (x + y) % 7 else 'd')
    c.rect(30, 130, 113, 189, 'b', None)          # shoulders
    c.rect(62, 110, 81, 132, 'p', None)           # neck
    c.disc(72, 80, 34, 'p')                       # face
    for x in range(38, 107):                      # hair
        top = 80 - int(math.sqrt(max(0, 34 ** 2 - (x - 72) ** 2)))
        for y in range(top - 2, top + 14):
            c.set(x, y, 's')
    c.disc(60, 78, 3, 'k'); c.disc(84, 78, 3, 'k')
    c.line(64, 98, 80, 98, 'r'); c.line(66, 99, 78, 99, 'r')
    c.line(72, 82, 70, 92, 'o')
    return c


def program_icon_svg():
    """The areas window's station, drawn as vectors on a 256 grid: a monitor
    in the same colours, a sealed letter with the new-mail dot on its screen,
    the stand and its foot."""
    p = PALETTE
    return f'''<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
  <title>Quorvel</title>
  <rect x="104" y="176" width="48" height="32" fill="{p['g']}" stroke="{p['d']}" stroke-width="8"/>
  <rect x="48" y="204" width="160" height="28" rx="6" fill="{p['l']}" stroke="{p['d']}" stroke-width="8"/>
  <rect x="20" y="24" width="216" height="156" rx="12" fill="{p['c']}" stroke="{p['d']}" stroke-width="8"/>
  <rect x="42" y="46" width="172" height="112" rx="4" fill="{p['b']}"/>
  <rect x="74" y="68" width="108" height="70" fill="{p['y']}" stroke="{p['d']}" stroke-width="6" stroke-linejoin="round"/>
  <path d="M74 68 L128 110 L182 68" fill="none" stroke="{p['d']}" stroke-width="6" stroke-linejoin="round"/>
  <circle cx="182" cy="68" r="18" fill="{p['r']}" stroke="{p['d']}" stroke-width="6"/>
</svg>
'''


def write_program_icon():
    scalable = os.path.join(ICONS, 'quorvel.svg')
    os.makedirs(ICONS, exist_ok=True)
    with open(scalable, 'w') as f:
        f.write(program_icon_svg())
    if not shutil.which('rsvg-convert'):
        print('rsvg-convert (librsvg2-bin) is missing: the PNG icons were not drawn anew')
        return
    for size in ICON_SIZES:
        folder = os.path.join(ICONS, 'hicolor', '%dx%d' % (size, size), 'apps')
        os.makedirs(folder, exist_ok=True)
        subprocess.run(['rsvg-convert', '-w', str(size), '-h', str(size), '-o',
                        os.path.join(folder, 'quorvel.png'), scalable], check=True)


def main():
    strip([station(), folder('l'), folder('y', hourglass()), folder('l', check()), folder('y', dot('r'))]
          ).write('areasf_treeimages')
    strip([station(), bubble(), bubble('r'), envelope(True, 'w'), envelope(True, 'w', 'r'),
           envelope(False, 'y'), envelope(False, 'y', 'r')]).write('areaf_treeimages')
    scaled(station(), 2).write('z_areasf_icon')
    scaled(bubble(), 2).write('z_areaf_icon')
    editor = Canvas(16, 16); editor.paste(page_mark(), -2, -1); editor.line(8, 13, 14, 4, 'o'); editor.set(8, 14, 'k')
    scaled(editor, 2).write('z_editorf_icon')
    scaled(envelope(False, 'y', 'r'), 2).write('newmail_icon')
    arrow_cursor(tree_mark()).write('buildtree')
    arrow_cursor(page_mark()).write('buildlettertext')
    portrait().write('about_portrait')
    write_program_icon()


if __name__ == '__main__':
    main()
