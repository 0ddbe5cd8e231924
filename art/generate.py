#!/usr/bin/env python3
"""Draws every picture of the program as SVG and writes art/manifest.txt.

The SVG files and the manifest are committed; the build only renders them
(tools/artrender) and never runs this script. After changing a drawing run
    python3 art/generate.py
and commit the changed files. Pictures hold no words: the program draws all
texts itself, so the pictures work in every language.
"""

import math
import os

ART = os.path.dirname(os.path.abspath(__file__))

# The palette, shared with the colours of Config.ini.
BG = '#15171C'
PANEL = '#1F232B'
BORDER = '#2C323D'
TEXT = '#E6E8EE'
MUTED = '#8A93A6'
ACCENT = '#27C2A0'
PRESSED = '#1E9C80'
HOVER = '#34D6B2'
DANGER = '#E5484D'
WARN = '#F0B429'


def rgb(c):
    c = c.lstrip('#')
    return tuple(int(c[i:i + 2], 16) for i in (0, 2, 4))


def hexc(t):
    return '#%02X%02X%02X' % tuple(max(0, min(255, int(round(v)))) for v in t)


def mix(a, b, t):
    """Colour a with t of colour b laid over it."""
    ra, rb = rgb(a), rgb(b)
    return hexc(tuple(ra[i] * (1 - t) + rb[i] * t for i in range(3)))


def grey(c, dim=0.75):
    r, g, b = rgb(c)
    y = (0.299 * r + 0.587 * g + 0.114 * b) * dim
    return hexc((y, y, y * 1.04))


TINT = mix(PANEL, ACCENT, 0.24)
TINT_HOVER = mix(PANEL, ACCENT, 0.34)
DANGER_TINT = mix(PANEL, DANGER, 0.22)
WARN_TINT = mix(PANEL, WARN, 0.20)
RAISED = mix(PANEL, TEXT, 0.05)

# ---------------------------------------------------------------------------
# SVG documents


class Doc:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.defs = []
        self.body = []
        self.n = 0

    def _id(self, prefix):
        self.n += 1
        return '%s%d' % (prefix, self.n)

    @staticmethod
    def _stops(stops):
        out = []
        for st in stops:
            off, col = st[0], st[1]
            op = st[2] if len(st) > 2 else 1
            out.append('<stop offset="%g" stop-color="%s" stop-opacity="%g"/>' % (off, col, op))
        return ''.join(out)

    def lin(self, stops, x1=0, y1=0, x2=0, y2=1):
        gid = self._id('g')
        self.defs.append('<linearGradient id="%s" x1="%g" y1="%g" x2="%g" y2="%g">%s</linearGradient>'
                         % (gid, x1, y1, x2, y2, self._stops(stops)))
        return 'url(#%s)' % gid

    def rad(self, stops, cx=0.5, cy=0.5, r=0.5):
        gid = self._id('r')
        self.defs.append('<radialGradient id="%s" cx="%g" cy="%g" r="%g" fx="%g" fy="%g">%s</radialGradient>'
                         % (gid, cx, cy, r, cx, cy, self._stops(stops)))
        return 'url(#%s)' % gid

    def add(self, s):
        self.body.append(s)

    def text(self):
        head = ('<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" '
                'width="%d" height="%d" viewBox="0 0 %d %d">\n' % (self.w, self.h, self.w, self.h))
        defs = '<defs>\n%s\n</defs>\n' % '\n'.join(self.defs) if self.defs else ''
        return head + defs + '\n'.join(self.body) + '\n</svg>\n'


def f(v):
    return ('%.2f' % v).rstrip('0').rstrip('.')


def paint(fill=None, stroke=None, sw=1.0, op=None, dash=None, extra=''):
    s = ' fill="%s"' % (fill or 'none')
    if stroke:
        s += ' stroke="%s" stroke-width="%s" stroke-linecap="round" stroke-linejoin="round"' % (stroke, f(sw))
    if dash:
        s += ' stroke-dasharray="%s"' % dash
    if op is not None:
        s += ' opacity="%g"' % op
    return s + extra


def rect(x, y, w, h, r=0, **kw):
    return '<rect x="%s" y="%s" width="%s" height="%s" rx="%s" ry="%s"%s/>' % (
        f(x), f(y), f(w), f(h), f(r), f(r), paint(**kw))


def circle(cx, cy, r, **kw):
    return '<circle cx="%s" cy="%s" r="%s"%s/>' % (f(cx), f(cy), f(r), paint(**kw))


def ellipse(cx, cy, rx, ry, **kw):
    return '<ellipse cx="%s" cy="%s" rx="%s" ry="%s"%s/>' % (f(cx), f(cy), f(rx), f(ry), paint(**kw))


def path(d, **kw):
    return '<path d="%s"%s/>' % (d, paint(**kw))


def f1(v):
    return ('%.1f' % v).rstrip('0').rstrip('.')


def poly_d(pts, closed=True):
    if not pts:
        return ''
    d = 'M' + ' L'.join('%s,%s' % (f1(x), f1(y)) for x, y in pts)
    return d + (' Z' if closed else '')


def group(items, transform=None, op=None):
    attrs = ''
    if transform:
        attrs += ' transform="%s"' % transform
    if op is not None:
        attrs += ' opacity="%g"' % op
    return '<g%s>\n%s\n</g>' % (attrs, '\n'.join(items))


# ---------------------------------------------------------------------------
# The picture list

MANIFEST = []   # (picture, width, height, svg source below art/)
FILES = {}      # svg source -> content


def emit(picture, w, h, src, content):
    if src in FILES and FILES[src] != content:
        raise SystemExit('two different drawings for %s' % src)
    FILES[src] = content
    MANIFEST.append((picture, w, h, src))


def put(folder, name, w, h, doc, shared=None):
    """Picture Folder/Name.png from doc; shared drawings live once in common/."""
    src = 'common/%s.svg' % shared if shared else '%s/%s.svg' % (folder, name)
    emit('%s/%s.png' % (folder, name), w, h, src, doc.text())


# ---------------------------------------------------------------------------
# Glyphs drawn as strokes (digits and marks; no fonts are needed to render them).
# Each glyph lives in a box 6 wide and 10 high.

GLYPHS = {
    '1': 'M1.2,2.2 L3.4,0.4 L3.4,10',
    '2': 'M0.6,2.6 C0.6,0 5.4,0 5.4,2.8 C5.4,5.2 0.6,7 0.6,10 L5.6,10',
    '4': 'M4.4,10 L4.4,0.4 L0.3,7 L5.8,7',
    '8': ('M3,4.8 C0.6,4.8 0.6,0.4 3,0.4 C5.4,0.4 5.4,4.8 3,4.8 Z '
          'M3,4.8 C0.2,4.8 0.2,10 3,10 C5.8,10 5.8,4.8 3,4.8 Z'),
    'K': 'M0.6,0.4 L0.6,10 M5.6,0.4 L0.9,6 M2.5,4 L5.7,10',
    '?': 'M0.8,2.8 C0.8,-0.4 5.4,-0.4 5.4,2.8 C5.4,5 3,5.2 3,7.2',
}


def glyph_text(doc, s, x, y, height, colour, sw):
    """Draws s with its top-left corner at (x, y); returns the advance."""
    k = height / 10.0
    cx = x
    for ch in s:
        d = GLYPHS[ch]
        doc.add('<g transform="translate(%s,%s) scale(%s)">%s</g>' % (
            f(cx), f(y), f(k), path(d, stroke=colour, sw=sw / k)))
        if ch == '?':
            doc.add(circle(cx + 3 * k, y + 9.6 * k, sw * 0.75, fill=colour))
        cx += 8 * k
    return cx - x


def glyph_width(s, height):
    return (len(s) * 8 - 2) * height / 10.0


# ---------------------------------------------------------------------------
# Controls


def button(w, h, state, list_item=False, opener=False, tone='plain', r=None):
    """A flat button background. state: normal, hover, pressed, checked, disabled.
    tone: plain (secondary), primary, danger, warn."""
    d = Doc(w, h)
    if r is None:
        r = min(6.0, h / 2.0 - 1)
    sw = 1.0
    if tone == 'primary':
        fills = {'normal': (TINT, ACCENT), 'hover': (TINT_HOVER, HOVER), 'pressed': (PRESSED, PRESSED),
                 'checked': (PRESSED, HOVER), 'disabled': (PANEL, BORDER)}
    elif tone == 'danger':
        fills = {'normal': (DANGER_TINT, DANGER), 'hover': (mix(PANEL, DANGER, 0.32), '#F07074'),
                 'pressed': ('#B8383C', '#B8383C'), 'checked': (DANGER_TINT, DANGER), 'disabled': (PANEL, BORDER)}
    elif tone == 'warn':
        fills = {'normal': (WARN_TINT, WARN), 'hover': (mix(PANEL, WARN, 0.30), '#F6C95A'),
                 'pressed': (mix(PANEL, WARN, 0.45), WARN), 'checked': (WARN_TINT, WARN), 'disabled': (PANEL, BORDER)}
    else:
        fills = {'normal': (PANEL, BORDER), 'hover': (RAISED, HOVER), 'pressed': (PRESSED, PRESSED),
                 'checked': (TINT, ACCENT), 'disabled': (BG, BORDER)}
    fill, stroke = fills[state]
    if state == 'checked' or (tone != 'plain' and state in ('normal', 'hover')):
        sw = 1.4
    top = mix(fill, TEXT, 0.05)
    g = d.lin([(0, top), (1, fill)])
    op = 0.55 if state == 'disabled' else None
    d.add(rect(sw / 2, sw / 2, w - sw, h - sw, r, fill=g, stroke=stroke, sw=sw, op=op))
    if list_item and state == 'checked':
        d.add(rect(sw + 1, h * 0.22, 3, h * 0.56, 1.5, fill=ACCENT))
    if opener:
        cx, cy, s = w - 11, h / 2.0, min(4.0, h * 0.18)
        col = ACCENT if state == 'checked' else MUTED
        d.add(path('M%s,%s L%s,%s L%s,%s' % (f(cx - s / 2), f(cy - s), f(cx + s / 2), f(cy), f(cx - s / 2), f(cy + s)),
                   stroke=col, sw=1.5))
    return d


def state_set(folder, names, w, h, shared_stem, **kw):
    """names: list of (picture name, state)."""
    for name, st in names:
        put(folder, name, w, h, button(w, h, st, **kw), shared='%s-%s-%dx%d' % (shared_stem, st, w, h))


def combo_back(w, h):
    d = Doc(w, h)
    d.add(rect(0.5, 0.5, w - 1, h - 1, 5, fill=d.lin([(0, mix(BG, PANEL, 0.7)), (1, BG)]), stroke=BORDER, sw=1))
    return d


def combo_popup(w, h):
    d = Doc(w, h)
    d.add(rect(0.5, 0.5, w - 1, h - 1, 4, fill=PANEL, stroke=BORDER, sw=1))
    return d


def chevron(w, h, up, colour):
    d = Doc(w, h)
    m = 1.5
    if up:
        d.add(path('M%s,%s L%s,%s L%s,%s' % (f(m), f(h - m), f(w / 2.0), f(m), f(w - m), f(h - m)), stroke=colour, sw=1.8))
    else:
        d.add(path('M%s,%s L%s,%s L%s,%s' % (f(m), f(m), f(w / 2.0), f(h - m), f(w - m), f(m)), stroke=colour, sw=1.8))
    return d


def combo_set(folder, w, h, popup_h=125):
    put(folder, 'ComboboxBack', w, h, combo_back(w, h), shared='combo-back-%dx%d' % (w, h))
    put(folder, 'ComboboxTextBack', w, popup_h, combo_popup(w, popup_h), shared='combo-popup-%dx%d' % (w, popup_h))
    put(folder, 'Menu', 12, 8, chevron(12, 8, False, MUTED), shared='combo-arrow-closed')
    put(folder, 'MenuClicked', 12, 8, chevron(12, 8, True, ACCENT), shared='combo-arrow-open')


def check_box(checked, round_=False, size=16):
    d = Doc(size, size)
    s = size
    if round_:
        if checked:
            d.add(circle(s / 2, s / 2, s / 2 - 1, fill=TINT, stroke=ACCENT, sw=1.5))
            d.add(circle(s / 2, s / 2, s * 0.22, fill=ACCENT))
        else:
            d.add(circle(s / 2, s / 2, s / 2 - 1, fill=BG, stroke=MUTED, sw=1.5))
    else:
        if checked:
            d.add(rect(1, 1, s - 2, s - 2, 3.5, fill=ACCENT, stroke=ACCENT, sw=1))
            d.add(path('M%s,%s L%s,%s L%s,%s' % (f(s * 0.26), f(s * 0.52), f(s * 0.44), f(s * 0.7), f(s * 0.76), f(s * 0.32)),
                       stroke=BG, sw=2))
        else:
            d.add(rect(1.25, 1.25, s - 2.5, s - 2.5, 3.5, fill=BG, stroke=MUTED, sw=1.5))
    return d


def cross_button(size, state, big=False):
    """Close cross: normal, hover, pressed."""
    d = Doc(size, size)
    r = size * (0.22 if big else 0.5)
    if state == 'hover':
        d.add(rect(0, 0, size, size, r, fill=DANGER))
        col = '#FFFFFF'
    elif state == 'pressed':
        d.add(rect(0, 0, size, size, r, fill='#B8383C'))
        col = '#FFFFFF'
    else:
        col = MUTED
    c = size / 2.0
    k = size * (0.17 if big else 0.2)
    d.add(path('M%s,%s L%s,%s M%s,%s L%s,%s' % (f(c - k), f(c - k), f(c + k), f(c + k), f(c + k), f(c - k), f(c - k), f(c + k)),
               stroke=col, sw=max(1.5, size / 14.0)))
    return d


def icon_button(size, state, draw_icon):
    """A square tool button around an icon drawn on a 24-unit grid.
    state: normal, hover, pressed, checked."""
    d = Doc(size, size)
    r = size * 0.22
    if state == 'hover':
        d.add(rect(0.5, 0.5, size - 1, size - 1, r, fill=RAISED, stroke=BORDER, sw=1))
        col = TEXT
    elif state == 'pressed':
        d.add(rect(0.5, 0.5, size - 1, size - 1, r, fill=BORDER, stroke=BORDER, sw=1))
        col = HOVER
    elif state == 'checked':
        d.add(rect(0.75, 0.75, size - 1.5, size - 1.5, r, fill=TINT, stroke=ACCENT, sw=1.5))
        col = ACCENT
    else:
        col = MUTED
    k = size * 0.7 / 24.0
    off = size * 0.15
    items = draw_icon(col)
    d.add(group(items, transform='translate(%s,%s) scale(%s)' % (f(off), f(off), f(k))))
    return d


# Icons on a 24 x 24 grid, stroked in one colour.

def ic_mouse(c):
    return [rect(6, 2.5, 12, 19, 6, stroke=c, sw=1.8), path('M12,2.5 L12,10 M6,10 L18,10', stroke=c, sw=1.8),
            rect(11, 5, 2, 3, 1, fill=c)]


def ic_sensor(c):
    return [circle(12, 12, 7.5, stroke=c, sw=1.8), circle(12, 12, 2, fill=c),
            path('M12,1.5 L12,5 M12,19 L12,22.5 M1.5,12 L5,12 M19,12 L22.5,12', stroke=c, sw=1.8)]


def ic_macro(c):
    items = [rect(2, 5, 20, 14, 3, stroke=c, sw=1.8)]
    for y in (9, 12.5):
        for x in (6, 10, 14, 18):
            items.append(rect(x - 1, y - 1, 2, 2, 0.5, fill=c))
    items.append(path('M7.5,16 L16.5,16', stroke=c, sw=1.8))
    return items


def ic_light(c):
    items = [circle(12, 12, 4.5, stroke=c, sw=1.8)]
    for i in range(8):
        a = i * math.pi / 4
        items.append(path('M%s,%s L%s,%s' % (f(12 + 7.5 * math.cos(a)), f(12 + 7.5 * math.sin(a)),
                                             f(12 + 10 * math.cos(a)), f(12 + 10 * math.sin(a))), stroke=c, sw=1.8))
    return items


def wrench_pts(length=23.0, head_r=5.2, jaw=1.9, jaw_depth=3.6, grip=1.9):
    """Outline of an open-ended wrench standing upright, jaw at the top, in a
    box from y = 0 to y = length centred on x = 0. A filled polygon: the
    pictures are rendered from SVG Tiny, which has no clipping to cut the jaw."""
    cy = head_r
    top = cy - math.sqrt(head_r * head_r - jaw * jaw)
    jaw_bottom = top + jaw_depth
    neck = cy + math.sqrt(head_r * head_r - grip * grip)
    end = length - grip
    a0 = math.atan2(top - cy, jaw)            # right edge of the jaw on the head
    a1 = math.atan2(neck - cy, grip)          # where the handle leaves the head
    pts = []
    for i in range(13):
        a = a0 + (a1 - a0) * i / 12.0
        pts.append((head_r * math.cos(a), cy + head_r * math.sin(a)))
    for i in range(9):                         # rounded end of the handle
        a = math.pi * i / 8.0
        pts.append((grip * math.cos(a), end + grip * math.sin(a)))
    b0 = math.pi - a1
    b1 = math.pi - a0 + 2 * math.pi if math.pi - a0 < b0 else math.pi - a0
    for i in range(13):
        a = b0 + (b1 - b0) * i / 12.0
        pts.append((head_r * math.cos(a), cy + head_r * math.sin(a)))
    pts += [(-jaw, jaw_bottom), (jaw, jaw_bottom)]
    return pts


def ic_repair(c):
    """A wrench leaning right: the sign of a repair in every language."""
    pts = [(x, y - 11.5) for x, y in wrench_pts()]
    return [group([path(poly_d(pts), fill=c)], transform='translate(12,12) rotate(45)')]


def gear_d(cx, cy, ro, ri, teeth):
    pts = []
    for i in range(teeth * 4):
        a = (i / (teeth * 4.0)) * 2 * math.pi
        rr = ro if (i % 4) in (1, 2) else ri
        pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    return poly_d(pts)


def ic_gear(c):
    return [path(gear_d(12, 12, 10, 7.6, 8), stroke=c, sw=1.7), circle(12, 12, 3, stroke=c, sw=1.7)]


def ic_back(c):
    return [path('M20,12 L4.5,12 M10.5,5.5 L4,12 L10.5,18.5', stroke=c, sw=2)]


def ic_min(c):
    return [path('M5,12 L19,12', stroke=c, sw=2)]


# ---------------------------------------------------------------------------
# Geometry for the mouse drawings


def catmull_closed(pts, n=14):
    out = []
    m = len(pts)
    for i in range(m):
        p0, p1, p2, p3 = pts[i - 1], pts[i], pts[(i + 1) % m], pts[(i + 2) % m]
        for j in range(n):
            t = j / float(n)
            t2, t3 = t * t, t * t * t
            x = 0.5 * ((2 * p1[0]) + (-p0[0] + p2[0]) * t + (2 * p0[0] - 5 * p1[0] + 4 * p2[0] - p3[0]) * t2
                       + (-p0[0] + 3 * p1[0] - 3 * p2[0] + p3[0]) * t3)
            y = 0.5 * ((2 * p1[1]) + (-p0[1] + p2[1]) * t + (2 * p0[1] - 5 * p1[1] + 4 * p2[1] - p3[1]) * t2
                       + (-p0[1] + 3 * p1[1] - 3 * p2[1] + p3[1]) * t3)
            out.append((x, y))
    return out


def clip_half(poly, a, b, c):
    """Keeps the part of poly where a*x + b*y + c <= 0."""
    out = []
    n = len(poly)
    for i in range(n):
        p, q = poly[i], poly[(i + 1) % n]
        fp = a * p[0] + b * p[1] + c
        fq = a * q[0] + b * q[1] + c
        if fp <= 0:
            out.append(p)
        if (fp < 0 < fq) or (fq < 0 < fp):
            t = fp / (fp - fq)
            out.append((p[0] + (q[0] - p[0]) * t, p[1] + (q[1] - p[1]) * t))
    return out


def clip_convex(poly, convex):
    """Intersection of poly with a convex polygon given clockwise on screen."""
    out = poly
    n = len(convex)
    for i in range(n):
        (x1, y1), (x2, y2) = convex[i], convex[(i + 1) % n]
        # inside is to the right of the edge direction on screen (clockwise order)
        a, b = (y2 - y1), -(x2 - x1)
        c = -(a * x1 + b * y1)
        out = clip_half(out, -a, -b, -c)
        if not out:
            break
    return out


def inside(poly, x, y):
    res = False
    n = len(poly)
    for i in range(n):
        (x1, y1), (x2, y2) = poly[i], poly[(i + 1) % n]
        if (y1 > y) != (y2 > y):
            if x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                res = not res
    return res


def edge_distance(poly, x, y):
    best = 1e9
    n = len(poly)
    for i in range(n):
        (x1, y1), (x2, y2) = poly[i], poly[(i + 1) % n]
        dx, dy = x2 - x1, y2 - y1
        L = dx * dx + dy * dy
        t = 0 if L == 0 else max(0, min(1, ((x - x1) * dx + (y - y1) * dy) / L))
        px, py = x1 + t * dx, y1 + t * dy
        best = min(best, math.hypot(x - px, y - py))
    return best


def scale_about(poly, sx, sy, cx=0.0, cy=0.0):
    return [(cx + (x - cx) * sx, cy + (y - cy) * sy) for x, y in poly]


def rounded_rect_pts(cx, cy, w, h, r, n=6):
    r = min(r, w / 2.0, h / 2.0)
    pts = []
    corners = [(cx + w / 2 - r, cy - h / 2 + r, -90), (cx + w / 2 - r, cy + h / 2 - r, 0),
               (cx - w / 2 + r, cy + h / 2 - r, 90), (cx - w / 2 + r, cy - h / 2 + r, 180)]
    for ox, oy, start in corners:
        for i in range(n + 1):
            a = math.radians(start + 90.0 * i / n)
            pts.append((ox + r * math.cos(a), oy + r * math.sin(a)))
    return pts


def circle_pts(cx, cy, r, n=20):
    return [(cx + r * math.cos(2 * math.pi * i / n), cy + r * math.sin(2 * math.pi * i / n)) for i in range(n)]


def hexagon_pts(cx, cy, r):
    return [(cx + r * math.cos(math.radians(60 * i + 30)), cy + r * math.sin(math.radians(60 * i + 30))) for i in range(6)]


def edge_x(poly, y, side):
    """x of the outline at height y on the left (-1) or right (+1) side."""
    xs = []
    n = len(poly)
    for i in range(n):
        (x1, y1), (x2, y2) = poly[i], poly[(i + 1) % n]
        if (y1 <= y < y2) or (y2 <= y < y1):
            xs.append(x1 + (y - y1) * (x2 - x1) / (y2 - y1))
    if not xs:
        return 0.0
    return min(xs) if side < 0 else max(xs)


# ---------------------------------------------------------------------------
# The mouse models. Top view, front up, in model units: y from about -100
# (front) to +100 (rear), x to the right. Each model lists the outline's
# control points along its right side (front to rear) and, when it is not
# symmetric, along its left side; the anchors are the points the button
# page's markers point at: L, R, M (wheel), F (forward side button),
# B (back side button) and D (the DPI button).

MODELS = []


def model(**kw):
    m = dict(front=-100, rear=100, left=None, split=-18, gap=2.2, wheel=(0, -64, 9, 24),
             dpi=[(0, -34, 8, 10)], side=[(-48, -31), (-27, -10)], side_right=[], stripes=[],
             holes=False, cable=False, angular=False, sniper=None, grid=None, fins=False,
             split_shell=False, leds=False, rear_bar=None, edge_lines=None, thumb_band=None,
             chevrons=False, rear_ring=False, centre_stripe=None, slot=False, yscale=1.0)
    m.update(kw)
    MODELS.append(m)
    return m


# 0: classic symmetric, on a cable.
model(right=[(26, -97), (42, -82), (49, -55), (50, -25), (53, 10), (55, 45), (48, 72), (32, 92)],
      cable=True, centre_stripe=(4, 80), leds=True)
# 1: ergonomic right-hand shape with a thumb rest.
model(right=[(24, -97), (44, -84), (53, -58), (55, -30), (51, 5), (47, 40), (42, 70), (28, 92)],
      left=[(26, -96), (40, -80), (47, -56), (50, -28), (57, 10), (63, 44), (56, 74), (36, 94)],
      split=-12, wheel=(-2, -64, 9, 24), dpi=[(-2, -36, 7, 10)], side=[(-51, -33), (-29, -11)],
      thumb_band=(-6, 66))
# 2: lightweight honeycomb shell.
model(right=[(25, -96), (40, -82), (46, -55), (46, -22), (48, 12), (51, 46), (46, 72), (31, 92)],
      split=-22, wheel=(0, -66, 9, 22), holes=True, rear_bar=(84, 90))
# 3: ambidextrous egg shape with side buttons on both flanks.
model(right=[(22, -97), (36, -84), (43, -58), (47, -28), (53, 8), (57, 42), (52, 72), (35, 93)],
      split=-16, dpi=[(-5, -36, 6, 9), (5, -36, 6, 9)], side_right=[(-46, -30), (-26, -10)], rear_ring=True)
# 4: compact model.
model(right=[(23, -96), (36, -80), (41, -52), (42, -20), (44, 12), (45, 44), (40, 70), (27, 90)],
      front=-98, rear=96, yscale=0.86, split=-14, wheel=(0, -62, 8, 20), dpi=[(0, -36, 7, 8)],
      side=[(-45, -30), (-26, -12)], rear_bar=(72, 80))
# 5: wide claw shape with forked front buttons.
model(right=[(14, -104), (30, -101), (46, -88), (51, -60), (48, -28), (49, 8), (52, 42), (46, 70), (30, 91)],
      front=-86, split=-20, gap=3.5, wheel=(0, -60, 9, 22), chevrons=True)
# 6: long slim model with a pointed front.
model(right=[(16, -104), (31, -90), (42, -62), (46, -28), (47, 8), (47, 44), (41, 74), (27, 94)],
      front=-110, rear=102, split=-16, wheel=(0, -68, 8, 24), side=[(-47, -46), (-46, -20)],
      edge_lines=(-60, 84))
# 7: side-button grid for many functions.
model(right=[(28, -96), (45, -82), (52, -56), (54, -24), (56, 10), (58, 44), (51, 72), (35, 93)],
      split=-18, side=[], grid=(3, 2), centre_stripe=(10, 70))
# 8: angular shell with a sniper button, on a cable.
model(right=[(22, -100), (44, -86), (50, -50), (48, -20), (56, 18), (56, 50), (44, 80), (24, 98)],
      angular=True, cable=True, sniper=(-40, -58), side=[(-50, -34), (-49, -14)],
      stripes=[[(-14, 18), (14, 18), (0, 56)]])
# 9: split shell: floating main buttons, rear fins and a light slot.
model(right=[(24, -98), (41, -84), (48, -58), (49, -26), (51, 10), (53, 44), (47, 72), (31, 92)],
      split=-10, gap=4.5, split_shell=True, fins=True, slot=True, dpi=[(0, -30, 7, 9)])


def outline(m):
    right = m['right']
    left = m['left'] or right
    pts = [(0, m['front'])] + [(x, y) for x, y in right] + [(0, m['rear'])] + [(-x, y) for x, y in reversed(left)]
    pts = [(x, y * m['yscale']) for x, y in pts]
    if m['angular']:
        return pts
    return catmull_closed(pts)


def anchors(m):
    body = outline(m)
    wx, wy, ww, wh = m['wheel']
    wy *= m['yscale']
    split = m['split'] * m['yscale']
    front = m['front'] * m['yscale']
    ly = front + (split - front) * 0.45
    a = {'L': (edge_x(body, ly, -1) * 0.5 - 2, ly), 'R': (edge_x(body, ly, 1) * 0.5 + 2, ly), 'M': (wx, wy)}
    sides = side_buttons(m, body)
    if len(sides) >= 2:
        a['F'] = sides[0][2]
        a['B'] = sides[1][2]
    dx, dy, dw, dh = m['dpi'][0] if m['dpi'] else (0, -36, 0, 0)
    a['D'] = (dx, dy * m['yscale'])
    return a


def side_buttons(m, body):
    """Side buttons as (points of the button, colour key, centre)."""
    out = []
    ys = m['yscale']
    if m['grid']:
        cols, rows = m['grid']
        for r in range(rows):
            for c in range(cols):
                y = (-46 + c * 17) * ys
                x = edge_x(body, y, -1) + 9 + r * 13
                out.append((rounded_rect_pts(x, y, 10, 13, 3), 'grid', (x, y)))
        # the two buttons nearest the front are forward and back
        out.sort(key=lambda b: (b[2][1], b[2][0]))
        return out
    for side, spans in ((-1, m['side']), (1, m['side_right'])):
        for y1, y2 in spans:
            y1s, y2s = y1 * ys, y2 * ys
            pts_out, pts_in = [], []
            for i in range(9):
                y = y1s + (y2s - y1s) * i / 8.0
                x = edge_x(body, y, side)
                pts_out.append((x + side * 3.2, y))
                pts_in.append((x - side * 2.5, y))
            ring = pts_out + list(reversed(pts_in))
            cy = (y1s + y2s) / 2.0
            out.append((ring, 'side', (edge_x(body, cy, side), cy)))
    return out


ONLINE = dict(body_top='#3B4250', body_bottom='#242932', rim='#5E687C', button_top='#4A5262', button_bottom='#313743',
              seam='#0E1014', wheel='#0E1014', wheel_rib='#5A6375', side='#6A758B', accent=ACCENT, hole='#111318',
              dpi='#5A6477', glow=ACCENT, cable='#0B0C0F', highlight=0.10)
OFFLINE = {k: (grey(v, 0.8) if isinstance(v, str) else v) for k, v in ONLINE.items()}
OFFLINE.update(accent='#4C525D', glow=None, highlight=0.04)


def draw_mouse(doc, m, tf, pal, cable_len=60):
    """Draws model m through tf (a function from model to picture coordinates)."""
    def T(pts):
        return [tf(x, y) for x, y in pts]

    body = outline(m)
    ys = m['yscale']
    front = m['front'] * ys
    split = m['split'] * ys

    if m['cable']:
        cab = [(0, front + 2)]
        for i in range(1, 13):
            t = i / 12.0
            cab.append((7 * math.sin(t * math.pi * 1.3), front - cable_len * t))
        doc.add(path(poly_d(T(cab), closed=False), stroke=pal['cable'], sw=6))
        doc.add(path(poly_d(T(cab), closed=False), stroke=BORDER, sw=1.4))

    # body
    doc.add(path(poly_d(T(body)), fill=doc.lin([(0, pal['body_top']), (1, pal['body_bottom'])]),
                 stroke=pal['rim'], sw=1.5))
    # palm highlight
    hl = scale_about(body, 0.62, 0.5, 0, 30 * ys)
    doc.add(path(poly_d(T(hl)), fill=doc.rad([(0, '#FFFFFF', pal['highlight']), (1, '#FFFFFF', 0)])))

    # main buttons
    if m['split_shell']:
        shell = scale_about(body, 0.9, 0.96, 0, 0)
        shell = [(x, y - 3) for x, y in shell]
    else:
        shell = body
    gap = m['gap']
    top = clip_half(shell, 0, 1, -split)          # y <= split
    lb = clip_half(top, 1, 0, gap)                 # x <= -gap
    rb = clip_half(top, -1, 0, gap)                # x >= gap
    bfill = doc.lin([(0, pal['button_top']), (1, pal['button_bottom'])])
    for b in (lb, rb):
        if b:
            doc.add(path(poly_d(T(b)), fill=bfill, stroke=pal['seam'], sw=1.3))
    if m['split_shell']:
        # the palm shell shows as its own piece behind the floating buttons
        palm = clip_half(body, 0, -1, split + 4)
        doc.add(path(poly_d(T(palm)), stroke=pal['seam'], sw=1.3))

    # honeycomb shell
    if m['holes']:
        r = 3.1
        for row in range(-40, 40):
            for col in range(-16, 17):
                x = col * (r * 2.3) + (r * 1.15 if row % 2 else 0)
                y = row * (r * 2.0)
                if y < front + 14 or abs(x) < gap + r + 1.5:
                    continue
                wx, wy, ww, wh = m['wheel']
                if abs(x - wx) < ww / 2 + r + 3 and abs(y - wy * ys) < wh / 2 + r + 3:
                    continue
                if abs(y - split) < r + 1.5 or abs(x) < 14 and -40 < y < -26:
                    continue
                if inside(body, x, y) and edge_distance(body, x, y) > r + 5:
                    doc.add(path(poly_d(T(hexagon_pts(x, y, r))), fill=pal['hole']))

    # accent stripes
    acc = pal['accent']
    if m['centre_stripe']:
        y1, y2 = m['centre_stripe']
        doc.add(path(poly_d(T(rounded_rect_pts(0, (y1 + y2) / 2.0 * ys, 4, (y2 - y1) * ys, 2))), fill=acc))
    if m['thumb_band']:
        y1, y2 = m['thumb_band']
        band = []
        inner = []
        for i in range(16):
            y = (y1 + (y2 - y1) * i / 15.0) * ys
            x = edge_x(body, y, -1)
            band.append((x + 4, y))
            inner.append((x + 8.5, y))
        doc.add(path(poly_d(T(band + list(reversed(inner)))), fill=acc))
    if m['edge_lines']:
        y1, y2 = m['edge_lines']
        for side in (-1, 1):
            line = []
            for i in range(20):
                y = (y1 + (y2 - y1) * i / 19.0) * ys
                line.append((edge_x(body, y, side) - side * 6, y))
            doc.add(path(poly_d(T(line), closed=False), stroke=acc, sw=2.2))
    if m['rear_bar']:
        y1, y2 = m['rear_bar']
        band = clip_half(clip_half(body, 0, -1, y1 * ys), 0, 1, -y2 * ys)
        band = scale_about(band, 0.86, 1, 0, 0)
        if band:
            doc.add(path(poly_d(T(band)), fill=acc))
    if m['rear_ring']:
        ring_outer = clip_half(scale_about(body, 0.86, 0.9, 0, 0), 0, -1, 56 * ys)
        ring_inner = clip_half(scale_about(body, 0.74, 0.8, 0, 0), 0, -1, 56 * ys)
        if ring_outer:
            doc.add(path(poly_d(T(ring_outer)), fill=acc))
        if ring_inner:
            doc.add(path(poly_d(T(ring_inner)), fill=doc.lin([(0, pal['body_top']), (1, pal['body_bottom'])])))
    if m['chevrons']:
        for k in range(2):
            y0 = (0 + k * 18) * ys
            pts = [(-30, y0 + 16), (0, y0), (30, y0 + 16), (30, y0 + 22), (0, y0 + 6), (-30, y0 + 22)]
            doc.add(path(poly_d(T(pts)), fill=acc, op=1 if k == 0 else 0.55))
    for tri in m['stripes']:
        doc.add(path(poly_d(T([(x, y * ys) for x, y in tri])), fill=acc))
    if m['slot']:
        doc.add(path(poly_d(T(rounded_rect_pts(0, -20 * ys, 4, 22 * ys, 2))), fill=acc))
    if m['fins']:
        for k in range(3):
            y = (62 + k * 9) * ys
            half = edge_x(body, y, 1) * 0.55
            doc.add(path(poly_d(T([(-half, y), (half, y)]), closed=False), stroke=pal['seam'], sw=2.2))
    if m['angular']:
        # facet lines from the palm ridge
        for side in (-1, 1):
            for y in (-20, 18, 50):
                doc.add(path(poly_d(T([(0, y * ys + 24), (side * edge_x(body, y * ys, side) * side, y * ys)]), closed=False),
                             stroke=pal['seam'], sw=1, op=0.7))

    # wheel
    wx, wy, ww, wh = m['wheel']
    wy *= ys
    doc.add(path(poly_d(T(rounded_rect_pts(wx, wy, ww + 4, wh + 4, 4))), fill=pal['seam']))
    doc.add(path(poly_d(T(rounded_rect_pts(wx, wy, ww, wh, 3.5))), fill=pal['wheel'], stroke=acc, sw=1.2))
    for k in range(-3, 4):
        yy = wy + k * wh / 8.0
        doc.add(path(poly_d(T([(wx - ww * 0.3, yy), (wx + ww * 0.3, yy)]), closed=False), stroke=pal['wheel_rib'], sw=1))

    # DPI buttons
    for dx, dy, dw, dh in m['dpi']:
        doc.add(path(poly_d(T(rounded_rect_pts(dx, dy * ys, dw, dh, 2.5))), fill=pal['dpi'], stroke=pal['seam'], sw=1.1))
    if m['leds']:
        for k in range(3):
            doc.add(path(poly_d(T(circle_pts(9, (-38 + k * 4.5) * ys, 1.3, 10))), fill=acc))

    # side buttons
    for ring, kind, _ in side_buttons(m, body):
        col = pal['side'] if kind == 'side' else pal['button_top']
        doc.add(path(poly_d(T(ring)), fill=col, stroke=pal['seam'], sw=1.1))
        if kind == 'grid':
            doc.add(path(poly_d(T(ring)), stroke=acc, sw=0.9, op=0.8))
    if m['sniper']:
        sx, sy = m['sniper']
        x = edge_x(body, sy * ys, -1)
        doc.add(path(poly_d(T(rounded_rect_pts(x + 1, sy * ys, 7, 13, 3))), fill=acc, stroke=pal['seam'], sw=1.1))
    return body


# ---------------------------------------------------------------------------
# Device list cards (284 x 360): the model, online or offline


CARD_W, CARD_H = 284, 360


def card_frame(d, online, dashed=False):
    if online:
        d.add(rect(3, 3, CARD_W - 6, CARD_H - 6, 18, fill=d.lin([(0, '#232833'), (1, '#1A1D24')]), stroke=BORDER, sw=1.5))
        d.add(ellipse(142, 300, 118, 46, fill=d.rad([(0, ACCENT, 0.26), (1, ACCENT, 0)])))
        d.add(rect(40, 3, 204, 2, 1, fill=d.lin([(0, ACCENT, 0), (0.5, ACCENT, 0.9), (1, ACCENT, 0)], 0, 0, 1, 0)))
    else:
        d.add(rect(3, 3, CARD_W - 6, CARD_H - 6, 18, fill='#181B20', stroke='#3A404B', sw=1.5,
                   dash='7 5' if dashed else None))


def card_mouse(m, online):
    d = Doc(CARD_W, CARD_H)
    card_frame(d, online, dashed=not online)
    s = 1.24
    cx, cy = 142, 184
    d.add(ellipse(cx + 4, cy + 112 * s * 0.9, 76, 13, fill=d.rad([(0, '#000000', 0.45), (1, '#000000', 0)])))
    pal = ONLINE if online else OFFLINE
    items_doc = Doc(CARD_W, CARD_H)
    items_doc.defs = d.defs
    items_doc.n = d.n
    draw_mouse(items_doc, m, lambda x, y: (cx + x * s, cy + y * s), pal, cable_len=150)
    d.n = items_doc.n
    if online:
        d.body.extend(items_doc.body)
    else:
        d.add(group(items_doc.body, op=0.62))
        # a muted "power off" mark at the bottom of the card
        d.add(path('M136.86,329.87 A8,8 0 1 0 147.14,329.87', stroke='#59606C', sw=2))
        d.add(path('M142,325 L142,334', stroke='#59606C', sw=2))
    return d


def card_unknown():
    d = Doc(CARD_W, CARD_H)
    card_frame(d, True)
    m = MODELS[0]
    body = outline(m)
    s = 1.24
    cx, cy = 142, 184
    pts = [(cx + x * s, cy + y * s) for x, y in body]
    d.add(path(poly_d(pts), fill='#1C2027', stroke=MUTED, sw=2, dash='8 6'))
    glyph_text(d, '?', 142 - 3 * 5.2, 150, 52, MUTED, 6)
    return d


# ---------------------------------------------------------------------------
# Button page pictures (432 x 356) with the marker spots of each layout

MARKER_LAYOUTS = {
    0: [(138, 55), (258, 55), (198, 55), (100, 115), (100, 165), (290, 130)],
    4: [(160, 190), (60, 150), (112, 150), (257, 178), (285, 150), (290, 230)],
    5: [(160, 180), (80, 130), (115, 150), (244, 180), (282, 150), (290, 240)],
    6: [(150, 180), (80, 130), (110, 145), (262, 170), (301, 140), (290, 240)],
    7: [(150, 180), (80, 130), (110, 145), (262, 170), (301, 140), (290, 240)],
    8: [(80, 135), (150, 165), (117, 143), (258, 170), (295, 145), (290, 230)],
    9: [(80, 135), (150, 165), (117, 143), (258, 170), (295, 145), (290, 230)],
}
MARKER = 38
ANCHOR_ORDER = ['L', 'R', 'M', 'F', 'B', 'D']


def place_model(m, marks, W, H, margin=12):
    """Scale, turn and place the model so that its buttons lie near their
    markers while the drawing stays large, whole and near the middle."""
    an = anchors(m)
    src = [an[k] for k in ANCHOR_ORDER]
    body = outline(m)[::4]
    best = None
    for s in (1.26, 1.34, 1.42):
        for deg in range(0, 360, 3):
            t = math.radians(deg)
            c, si = math.cos(t), math.sin(t)
            rot = [(x * s * c - y * s * si, x * s * si + y * s * c) for x, y in src]
            rb = [(x * s * c - y * s * si, x * s * si + y * s * c) for x, y in body]
            minx = min(p[0] for p in rb)
            maxx = max(p[0] for p in rb)
            miny = min(p[1] for p in rb)
            maxy = max(p[1] for p in rb)
            for ox in range(int(margin - minx), int(W - margin - maxx) + 1, 6):
                for oy in range(int(margin - miny), int(H - margin - maxy) + 1, 6):
                    cost = sum((x + ox - u) ** 2 + (y + oy - v) ** 2 for (x, y), (u, v) in zip(rot, marks))
                    # stay near the middle of the picture
                    cost += 6 * ((ox - W / 2.0) ** 2 + (oy - H / 2.0) ** 2)
                    cost -= 4000 * s
                    if best is None or cost < best[0]:
                        best = (cost, s, t, ox, oy)
    _, s, t, ox, oy = best
    c, si = math.cos(t), math.sin(t)
    return lambda x, y: (ox + x * s * c - y * s * si, oy + x * s * si + y * s * c)


def button_page_picture(m, number):
    W, H = 432, 356
    d = Doc(W, H)
    marks = [(x + MARKER / 2.0, y + MARKER / 2.0) for x, y in MARKER_LAYOUTS[number]]
    an = anchors(m)
    tf2 = place_model(m, marks, W, H)
    pts = [tf2(x, y) for x, y in outline(m)]
    minx = min(p[0] for p in pts)
    maxx = max(p[0] for p in pts)
    miny = min(p[1] for p in pts)
    maxy = max(p[1] for p in pts)
    cxm, cym = (minx + maxx) / 2, (miny + maxy) / 2

    d.add(ellipse(cxm, cym + 8, (maxx - minx) * 0.55, (maxy - miny) * 0.55,
                  fill=d.rad([(0, ACCENT, 0.10), (0.7, ACCENT, 0.03), (1, ACCENT, 0)])))
    d.add(ellipse(cxm + 6, cym + 10, (maxx - minx) * 0.46, (maxy - miny) * 0.46,
                  fill=d.rad([(0, '#000000', 0.35), (1, '#000000', 0)])))
    draw_mouse(d, m, tf2, ONLINE, cable_len=45)
    # leader lines from each button to the spot of its numbered marker
    for k, (mx, my) in zip(ANCHOR_ORDER, marks):
        ax, ay = tf2(*an[k])
        if math.hypot(mx - ax, my - ay) > 6:
            d.add(path('M%s,%s L%s,%s' % (f(ax), f(ay), f(mx), f(my)), stroke=TEXT, sw=1.2, op=0.55))
        d.add(circle(ax, ay, 3.6, fill=ACCENT, stroke=BG, sw=1.4))
    return d


# ---------------------------------------------------------------------------
# Badges and marks


def badge_circle(d, ring):
    d.add(circle(16, 16, 14.5, fill=PANEL, stroke=ring, sw=1.8))


def badge_offline():
    d = Doc(32, 32)
    badge_circle(d, DANGER)
    d.add(path('M11.5,11.8 A7,7 0 1 0 20.5,11.8', stroke=DANGER, sw=2.2))
    d.add(path('M16,8.5 L16,15.5', stroke=DANGER, sw=2.2))
    return d


def badge_usb():
    d = Doc(32, 32)
    badge_circle(d, ACCENT)
    c = ACCENT
    d.add(path('M16,7 L16,24 M16,20 L11,16 L11,13 M16,18 L21,14.5 L21,12', stroke=c, sw=1.8))
    d.add(path('M13.8,9.6 L16,6.5 L18.2,9.6 Z', fill=c, stroke=c, sw=1))
    d.add(circle(11, 12, 1.8, fill=c))
    d.add(rect(19.4, 10, 3.2, 3.2, 0.5, fill=c))
    d.add(circle(16, 24.6, 2.2, fill=c))
    return d


def badge_wireless():
    d = Doc(32, 32)
    badge_circle(d, ACCENT)
    c = ACCENT
    for r in (4.5, 8.5, 12.5):
        a = math.radians(45)
        x1, y1 = 16 - r * math.sin(a), 22 - r * math.cos(a)
        x2, y2 = 16 + r * math.sin(a), 22 - r * math.cos(a)
        if r < 12:
            d.add(path('M%s,%s A%s,%s 0 0 1 %s,%s' % (f(x1), f(y1), f(r), f(r), f(x2), f(y2)), stroke=c, sw=2))
    d.add(circle(16, 22, 2, fill=c))
    return d


def badge_rate(label, level):
    w, h = 42, 26
    d = Doc(w, h)
    fill = mix(PANEL, ACCENT, 0.10 + 0.08 * level)
    d.add(rect(1, 1, w - 2, h - 2, 12, fill=fill, stroke=ACCENT, sw=1.5))
    gh = 11
    gw = glyph_width(label, gh)
    # a small rising bar mark before the digits
    x0 = (w - gw - 8) / 2.0
    for i in range(3):
        bh = 3 + i * 2.5
        op = 1 if i <= level - 1 else 0.35
        d.add(rect(x0 + i * 2.4, 18.5 - bh, 1.6, bh, 0.6, fill=ACCENT, op=op))
    glyph_text(d, label, x0 + 8.5, (h - gh) / 2.0, gh, TEXT, 1.7)
    return d


def logo(size):
    d = Doc(size, size)
    k = size / 64.0
    d.add(rect(2 * k, 2 * k, 60 * k, 60 * k, 14 * k, fill=d.lin([(0, '#2A303B'), (1, '#16191E')]), stroke=BORDER, sw=1.5 * k))
    d.add(rect(20 * k, 13 * k, 24 * k, 38 * k, 12 * k, fill=TINT, stroke=ACCENT, sw=3.2 * k))
    d.add(path('M%s,%s L%s,%s' % (f(32 * k), f(13 * k), f(32 * k), f(27 * k)), stroke=ACCENT, sw=2.6 * k))
    d.add(path('M%s,%s L%s,%s' % (f(20.5 * k), f(27 * k), f(43.5 * k), f(27 * k)), stroke=ACCENT, sw=2.6 * k))
    d.add(rect(30.4 * k, 17 * k, 3.2 * k, 6 * k, 1.6 * k, fill=HOVER))
    d.add(path('M%s,%s A%s,%s 0 0 1 %s,%s' % (f(47 * k), f(11 * k), f(7 * k), f(7 * k), f(54 * k), f(18 * k)),
               stroke=HOVER, sw=2.4 * k))
    d.add(path('M%s,%s A%s,%s 0 0 1 %s,%s' % (f(47 * k), f(5 * k), f(13 * k), f(13 * k), f(60 * k), f(18 * k)),
               stroke=HOVER, sw=2.4 * k, op=0.6))
    return d


def switch(on):
    w, h = 36, 18
    d = Doc(w, h)
    if on:
        d.add(rect(1, 2, 34, 14, 7, fill=ACCENT))
        d.add(circle(27, 9, 5.6, fill=TEXT))
    else:
        d.add(rect(1, 2, 34, 14, 7, fill=BORDER, stroke='#3A414E', sw=1))
        d.add(circle(9, 9, 5.6, fill=MUTED))
    return d


def title_mark():
    d = Doc(16, 10)
    d.add(rect(0, 0, 4, 10, 1.5, fill=ACCENT))
    d.add(rect(6, 0, 3, 10, 1.5, fill=ACCENT, op=0.5))
    d.add(rect(11, 0, 2, 10, 1, fill=ACCENT, op=0.25))
    return d


def slider_handle():
    d = Doc(6, 18)
    d.add(rect(0.75, 0.75, 4.5, 16.5, 2, fill=BG, stroke=ACCENT, sw=1.5))
    return d


def plus_minus(w, h, plus, framed):
    d = Doc(w, h)
    if framed:
        d.add(circle(w / 2.0, h / 2.0, min(w, h) / 2.0 - 1, fill=PANEL, stroke=BORDER, sw=1.2))
        k = min(w, h) * 0.26
    else:
        k = w / 2.0 - 1.5
    cx, cy = w / 2.0, h / 2.0
    sw = 2 if framed else min(2.2, h - 1.2)
    d.add(path('M%s,%s L%s,%s' % (f(cx - k), f(cy), f(cx + k), f(cy)), stroke=TEXT, sw=sw))
    if plus:
        d.add(path('M%s,%s L%s,%s' % (f(cx), f(cy - k), f(cx), f(cy + k)), stroke=TEXT, sw=sw))
    return d


def stage_button(w, h, selected):
    d = Doc(w, h)
    if selected:
        d.add(rect(1, 1, w - 2, h - 2, 12, fill=ACCENT, op=0.14))
        d.add(rect(5, 5, w - 10, h - 10, 9, fill=d.lin([(0, TINT_HOVER), (1, TINT)]), stroke=ACCENT, sw=2))
    else:
        d.add(rect(1, 1, w - 2, h - 2, 8, fill=d.lin([(0, RAISED), (1, PANEL)]), stroke=BORDER, sw=1.2))
    return d


def swatch_frame(w, h, selected):
    """Drawn over the stage colour, which the program paints beneath."""
    d = Doc(w, h)
    if selected:
        d.add(rect(1, 1, w - 2, h - 2, 3.5, stroke=TEXT, sw=2))
    else:
        d.add(rect(0.5, 0.5, w - 1, h - 1, 3, stroke='#000000', sw=1, op=0.45))
        d.add(path('M3,1.6 L%s,1.6' % f(w - 3), stroke='#FFFFFF', sw=1, op=0.3))
    return d


def stage_marker(hover):
    d = Doc(30, 30)
    col = HOVER if hover else ACCENT
    if hover:
        d.add(circle(15, 17, 12, fill=col, op=0.16))
    d.add(path('M15,3 L22,14 L8,14 Z', fill=col, stroke=col, sw=1.5))
    d.add(circle(15, 20, 5, fill=BG, stroke=col, sw=2.2))
    return d


def marker(state):
    d = Doc(MARKER, MARKER)
    c = MARKER / 2.0
    if state == 'normal':
        d.add(circle(c, c, 14, fill=TEXT, stroke=ACCENT, sw=2.5))
    elif state == 'hover':
        d.add(circle(c, c, 17.5, fill=HOVER, op=0.25))
        d.add(circle(c, c, 14.5, fill=HOVER, stroke='#FFFFFF', sw=2))
    else:
        d.add(circle(c, c, 14.5, fill=PRESSED, stroke=ACCENT, sw=2))
    return d


def number_label():
    d = Doc(24, 24)
    d.add(circle(12, 12, 11, fill=MUTED, stroke=mix(MUTED, TEXT, 0.4), sw=1))
    return d


def panel_background(w, h, r=10, dividers=()):
    d = Doc(w, h)
    d.add(rect(0.5, 0.5, w - 1, h - 1, r, fill=d.lin([(0, '#1D2129'), (1, '#191C23')]), stroke=BORDER, sw=1))
    for x in dividers:
        d.add(path('M%s,16 L%s,%s' % (f(x), f(x), f(h - 16)), stroke=BORDER, sw=1))
    return d


def page_background(w, h, glow_y=None):
    """Whole-window backgrounds are opaque to the corners."""
    d = Doc(w, h)
    d.add(rect(0, 0, w, h, 0, fill=BG))
    d.add(ellipse(w / 2.0, 0, w * 0.7, h * 0.55, fill=d.rad([(0, '#232833', 0.9), (1, '#232833', 0)])))
    if glow_y is not None:
        d.add(ellipse(w / 2.0, glow_y, w * 0.48, h * 0.3, fill=d.rad([(0, ACCENT, 0.07), (1, ACCENT, 0)])))
    d.add(rect(0, 0, w, 2, 0, fill=d.lin([(0, ACCENT, 0), (0.5, ACCENT, 0.85), (1, ACCENT, 0)], 0, 0, 1, 0)))
    d.add(rect(0.5, 0.5, w - 1, h - 1, 0, stroke=BORDER, sw=1))
    return d


def notice_background(w, h):
    d = Doc(w, h)
    d.add(rect(0, 0, w, h, 0, fill=d.lin([(0, '#232833'), (1, '#1B1E25')])))
    d.add(rect(0.5, 0.5, w - 1, h - 1, 0, stroke=BORDER, sw=1))
    d.add(rect(0, 0, w, 2, 0, fill=d.lin([(0, ACCENT, 0.9), (1, ACCENT, 0)], 0, 0, 1, 0)))
    return d


def pairing_background(w, h):
    d = Doc(w, h)
    d.add(rect(1, 1, w - 2, h - 2, 14, fill=d.lin([(0, '#232833'), (1, '#1A1D24')]), stroke=BORDER, sw=1.5))
    d.add(rect(24, 1.5, w - 48, 2, 1, fill=d.lin([(0, ACCENT, 0), (0.5, ACCENT, 0.9), (1, ACCENT, 0)], 0, 0, 1, 0)))
    return d


def pairing_picture(w, h):
    """Receiver, link waves and mouse."""
    d = Doc(w, h)
    cy = h / 2.0
    # receiver
    d.add(rect(6, cy - 9, 22, 18, 4, fill=PANEL, stroke=MUTED, sw=1.5))
    d.add(rect(28, cy - 5, 8, 10, 1.5, fill=BORDER, stroke=MUTED, sw=1.2))
    d.add(circle(14, cy, 2.2, fill=ACCENT))
    # waves
    for i, r in enumerate((7, 13, 19)):
        d.add(path('M%s,%s A%s,%s 0 0 1 %s,%s' % (f(44 + r * 0.2), f(cy - r * 0.7), f(r), f(r), f(44 + r * 0.2), f(cy + r * 0.7)),
                   stroke=ACCENT, sw=2, op=1 - i * 0.25))
    # mouse
    mx = w - 26
    d.add(rect(mx - 12, cy - 19, 24, 38, 12, fill=PANEL, stroke=MUTED, sw=1.5))
    d.add(path('M%s,%s L%s,%s M%s,%s L%s,%s' % (f(mx), f(cy - 19), f(mx), f(cy - 5), f(mx - 12), f(cy - 5), f(mx + 12), f(cy - 5)),
               stroke=MUTED, sw=1.3))
    d.add(rect(mx - 1.5, cy - 15, 3, 6, 1.5, fill=ACCENT))
    return d


def warn_triangle(size):
    d = Doc(size, size)
    k = size / 20.0
    d.add(path('M%s,%s L%s,%s L%s,%s Z' % (f(10 * k), f(2 * k), f(19 * k), f(18 * k), f(1 * k), f(18 * k)),
               fill=WARN_TINT, stroke=WARN, sw=1.6 * k))
    d.add(path('M%s,%s L%s,%s' % (f(10 * k), f(7.5 * k), f(10 * k), f(12.5 * k)), stroke=WARN, sw=1.8 * k))
    d.add(circle(10 * k, 15.3 * k, 1.1 * k, fill=WARN))
    return d


def arrow_button(w, h, left, hover):
    d = Doc(w, h)
    d.add(rect(1, 1, w - 2, h - 2, 10, fill=RAISED if hover else PANEL, stroke=HOVER if hover else BORDER, sw=1.3,
               op=1 if hover else 0.9))
    cx, cy, s = w / 2.0, h / 2.0, min(w, h) * 0.18
    col = ACCENT if hover else MUTED
    if left:
        d.add(path('M%s,%s L%s,%s L%s,%s' % (f(cx + s * 0.6), f(cy - s * 1.4), f(cx - s * 0.6), f(cy), f(cx + s * 0.6), f(cy + s * 1.4)),
                   stroke=col, sw=2.6))
    else:
        d.add(path('M%s,%s L%s,%s L%s,%s' % (f(cx - s * 0.6), f(cy - s * 1.4), f(cx + s * 0.6), f(cy), f(cx - s * 0.6), f(cy + s * 1.4)),
                   stroke=col, sw=2.6))
    return d


def battery_outline():
    d = Doc(44, 22)
    d.add(rect(1, 2, 38, 18, 4, stroke=MUTED, sw=1.6))
    d.add(rect(40, 7.5, 3, 7, 1.2, fill=MUTED))
    return d


def charge_bolt():
    d = Doc(14, 22)
    d.add(path('M8.5,1 L2,12.5 L6.8,12.5 L5.2,21 L12,8.8 L7.2,8.8 Z', fill=WARN, stroke=WARN, sw=1))
    return d


def list_icon(kind):
    d = Doc(16, 16)
    if kind == 'down':
        d.add(path('M8,2 L8,11 M4,7.5 L8,11.5 L12,7.5', stroke=ACCENT, sw=1.8))
        d.add(path('M3,14 L13,14', stroke=ACCENT, sw=1.8))
    elif kind == 'up':
        d.add(path('M8,14 L8,5 M4,8.5 L8,4.5 L12,8.5', stroke=MUTED, sw=1.8))
        d.add(path('M3,2 L13,2', stroke=MUTED, sw=1.8))
    else:
        d.add(circle(8, 8, 6.2, stroke=WARN, sw=1.6))
        d.add(path('M8,4.5 L8,8.3 L10.8,10', stroke=WARN, sw=1.5))
    return d


def record_button(w, h, stop, hover):
    if stop:
        d = button(w, h, 'hover' if hover else 'normal', tone='danger')
        d.add(rect(12, h / 2.0 - 5, 10, 10, 2, fill=TEXT))
    else:
        d = button(w, h, 'hover' if hover else 'normal')
        if hover:
            d.add(circle(17, h / 2.0, 8, fill=DANGER, op=0.25))
        d.add(circle(17, h / 2.0, 5, fill=DANGER))
    return d


def colour_board(w, h):
    d = Doc(w, h)
    hues = ['#FF0000', '#FFFF00', '#00FF00', '#00FFFF', '#0000FF', '#FF00FF', '#FF0000']
    stops = [(i / 6.0, c) for i, c in enumerate(hues)]
    d.add(rect(0, 0, w, h, 6, fill=d.lin(stops, 0, 0, 1, 0)))
    d.add(rect(0, 0, w, h, 6, fill=d.lin([(0, '#FFFFFF', 1), (0.5, '#FFFFFF', 0)])))
    d.add(rect(0, 0, w, h, 6, fill=d.lin([(0.5, '#000000', 0), (1, '#000000', 1)])))
    d.add(rect(0.5, 0.5, w - 1, h - 1, 6, stroke=BORDER, sw=1))
    return d


def preview_empty(size):
    d = Doc(size, size)
    d.add(rect(1, 1, size - 2, size - 2, 8, fill=PANEL, stroke=MUTED, sw=1.5, dash='5 4'))
    d.add(path('M%s,%s L%s,%s' % (f(size * 0.3), f(size * 0.7), f(size * 0.7), f(size * 0.3)), stroke=MUTED, sw=1.8))
    return d


def preset_swatch(colour, size=24):
    d = Doc(size, size)
    d.add(rect(1, 1, size - 2, size - 2, 5, fill=colour, stroke='#FFFFFF', sw=1, extra=' stroke-opacity="0.18"'))
    d.add(rect(3, 2.5, size - 6, size * 0.3, 3, fill='#FFFFFF', op=0.18))
    return d


def profile_icon():
    d = Doc(20, 14)
    for i, (y, kx) in enumerate(((2.5, 13), (7, 6), (11.5, 10))):
        d.add(path('M1.5,%s L18.5,%s' % (f(y), f(y)), stroke=MUTED, sw=1.4))
        d.add(circle(kx, y, 2.1, fill=ACCENT if i == 1 else TEXT))
    return d


def mouse_icon(size):
    d = Doc(size, size)
    k = size / 24.0
    d.add(group(ic_mouse(MUTED), transform='scale(%s)' % f(k)))
    return d


def update_button(w, h, state):
    """Update available: the warning tone with a small arrow."""
    d = button(w, h, state, tone='warn')
    x, cy = w - 14, h / 2.0
    d.add(path('M%s,%s L%s,%s M%s,%s L%s,%s L%s,%s' % (f(x), f(cy + 5), f(x), f(cy - 4), f(x - 3.5), f(cy - 1),
                                                        f(x), f(cy - 4.8), f(x + 3.5), f(cy - 1)), stroke=WARN, sw=1.8))
    return d


# ---------------------------------------------------------------------------
# The pictures, folder by folder


def folder_dialog():
    F = 'Dialog'
    put(F, 'BackGround', 1020, 700, page_background(1020, 700))
    put(F, 'Logo', 64, 64, logo(64), shared='logo-64')
    put(F, 'Battery', 44, 22, battery_outline())
    put(F, 'Charg', 14, 22, charge_bolt())
    pages = [('Home', ic_mouse, 'Checked'), ('Sensor', ic_sensor, 'Checked'), ('Macro', ic_macro, 'Checked'),
             ('Light', ic_light, 'Checked'), ('Setting', ic_gear, 'Click')]
    for stem, icon, checked_suffix in pages:
        put(F, stem, 30, 30, icon_button(30, 'normal', icon))
        put(F, stem + 'Hover', 30, 30, icon_button(30, 'hover', icon))
        put(F, stem + checked_suffix, 30, 30, icon_button(30, 'checked', icon))
    window_buttons(F)
    put(F, 'PageChange', 30, 30, icon_button(30, 'normal', ic_back))
    put(F, 'PageChangeHover', 30, 30, icon_button(30, 'hover', ic_back))
    put(F, 'PageChangeClick', 30, 30, icon_button(30, 'pressed', ic_back))


def repair_button(w, h):
    """The device list's Repair button carries no caption: its sign says what it does."""
    d = button(w, h, 'normal', tone='warn')
    size = h - 10.0
    k = size / 24.0
    d.add(group(ic_repair(WARN), transform='translate(%s,%s) scale(%s)' % (f((w - size) / 2.0), f((h - size) / 2.0), f(k))))
    return d


def window_buttons(F):
    put(F, 'Close', 30, 30, cross_button(30, 'normal', big=True), shared='window-close-normal')
    put(F, 'CloseHover', 30, 30, cross_button(30, 'hover', big=True), shared='window-close-hover')
    put(F, 'CloseClick', 30, 30, cross_button(30, 'pressed', big=True), shared='window-close-pressed')
    put(F, 'Min', 30, 30, icon_button(30, 'normal', ic_min), shared='window-min-normal')
    put(F, 'MinHover', 30, 30, icon_button(30, 'hover', ic_min), shared='window-min-hover')
    put(F, 'MinClick', 30, 30, icon_button(30, 'pressed', ic_min), shared='window-min-pressed')


def folder_dialogchange():
    F = 'DialogChange'
    put(F, 'MainBack', 1020, 700, page_background(1020, 700, glow_y=380))
    window_buttons(F)
    put(F, 'Repair', 130, 36, repair_button(130, 36))
    put(F, 'Left', 36, 60, arrow_button(36, 60, True, False))
    put(F, 'LeftClick', 36, 60, arrow_button(36, 60, True, True))
    put(F, 'Right', 36, 60, arrow_button(36, 60, False, False))
    put(F, 'RightClick', 36, 60, arrow_button(36, 60, False, True))
    combo_set(F, 140, 30)
    put(F, 'DisOnline', 32, 32, badge_offline())
    put(F, 'OnLineUsb', 32, 32, badge_usb())
    put(F, 'OnLineWifi', 32, 32, badge_wireless())
    for i, k in enumerate(('1', '2', '4', '8')):
        put(F, k + 'KHz', 42, 26, badge_rate(k + 'K', i + 1))
    for k, m in enumerate(MODELS):
        put(F, 'OnLine%d' % k, CARD_W, CARD_H, card_mouse(m, True))
        put(F, 'DisOnlin%d' % k, CARD_W, CARD_H, card_mouse(m, False))
    put(F, 'Unknow', CARD_W, CARD_H, card_unknown())


def notice_set(F, close_size=20):
    put(F, 'Close', close_size, close_size, cross_button(close_size, 'normal'), shared='notice-close-normal')
    put(F, 'CloseHover', close_size, close_size, cross_button(close_size, 'hover'), shared='notice-close-hover')
    put(F, 'CloseClick', close_size, close_size, cross_button(close_size, 'pressed'), shared='notice-close-pressed')


def folder_warningdialog():
    F = 'WarningDialog'
    put(F, 'BackGround', 300, 140, notice_background(300, 140))
    notice_set(F)
    for normal, pressed in (('Confirm', 'ConfirmClick'), ('ConFirm', 'ConFirmClick')):
        put(F, normal, 90, 24, button(90, 24, 'normal', tone='primary'), shared='primary-normal-90x24')
        put(F, pressed, 90, 24, button(90, 24, 'pressed', tone='primary'), shared='primary-pressed-90x24')
    put(F, 'ok_nr', 90, 24, button(90, 24, 'normal', tone='primary'), shared='primary-normal-90x24')
    put(F, 'ok_enter', 90, 24, button(90, 24, 'hover', tone='primary'), shared='primary-hover-90x24')
    put(F, 'CheckBox', 16, 16, check_box(False), shared='check-off')
    put(F, 'CheckBoxCheck', 16, 16, check_box(True), shared='check-on')


def folder_buttoninterface():
    F = 'Buttoninterface'
    for n in (0, 4, 5, 6, 7, 8, 9):
        m = generic_model() if n == 0 else MODELS[n]
        put(F, 'mouse%d' % n, 432, 356, button_page_picture(m, n))
    put(F, 'NumberOrigin', MARKER, MARKER, marker('normal'))
    put(F, 'NumberHover', MARKER, MARKER, marker('hover'))
    put(F, 'NumberClick', MARKER, MARKER, marker('pressed'))
    put(F, 'LabelNumber', 24, 24, number_label())
    state_set(F, [('AMenuTitle', 'normal'), ('AMenuTitleChecked', 'checked')], 262, 26, 'list', list_item=True)
    state_set(F, [('CMenuTitle', 'normal'), ('CMenuTitleChecked', 'checked')], 174, 22, 'list', list_item=True)
    state_set(F, [('BMenuTitle', 'normal'), ('BMenuTitleChecked', 'checked')], 164, 22, 'list', list_item=True)
    state_set(F, [('BMenuTitleB', 'normal'), ('BMenuTitleCheckedB', 'checked')], 164, 22, 'opener',
              list_item=True, opener=True)
    state_set(F, [('Reset', 'normal'), ('ResetHover', 'hover'), ('ResetClick', 'pressed')], 90, 26, 'button')
    combo_set(F, 128, 24)
    put(F, 'Config', 20, 14, profile_icon())
    put(F, 'TiltleBack', 862, 216, panel_background(862, 216, dividers=(441, 641)))
    put(F, 'Reduce', 20, 20, plus_minus(20, 20, False, True), shared='minus-round-20')
    put(F, 'Add', 20, 20, plus_minus(20, 20, True, True), shared='plus-round-20')


def generic_model():
    """The button page's picture for models without one of their own."""
    m = dict(MODELS[0])
    m.update(cable=False, centre_stripe=None, leds=False, rear_bar=(80, 88),
             right=[(27, -97), (44, -82), (50, -55), (51, -25), (53, 10), (54, 45), (47, 72), (31, 92)])
    return m


def folder_sensor():
    F = 'Sensor'
    combo_set(F, 130, 30)
    put(F, 'CheckBox', 16, 16, check_box(False), shared='check-off')
    put(F, 'CheckBoxChecked', 16, 16, check_box(True), shared='check-on')
    put(F, 'LOD', 16, 16, check_box(False, round_=True), shared='radio-off')
    put(F, 'LODCheck', 16, 16, check_box(True, round_=True), shared='radio-on')
    put(F, 'Title', 16, 10, title_mark(), shared='title-mark')
    put(F, 'Close', 36, 18, switch(False), shared='switch-off')
    put(F, 'Open', 36, 18, switch(True), shared='switch-on')
    put(F, 'HuaKuai', 6, 18, slider_handle(), shared='slider-handle')
    state_set(F, [('ReportRate', 'normal'), ('ReportRateClick', 'checked')], 90, 32, 'button')
    put(F, 'Level', 30, 30, stage_marker(False))
    put(F, 'LevelHover', 30, 30, stage_marker(True))
    put(F, 'Reduce', 14, 4, plus_minus(14, 4, False, False))
    put(F, 'Add', 14, 14, plus_minus(14, 14, True, False))
    put(F, 'MinA', 54, 56, stage_button(54, 56, False))
    put(F, 'MaxA', 68, 70, stage_button(68, 70, True))
    put(F, 'MinB', 50, 12, swatch_frame(50, 12, False))
    put(F, 'MaxB', 66, 14, swatch_frame(66, 14, True))


def folder_macro():
    F = 'Macro'
    put(F, 'MacroDown', 16, 16, list_icon('down'))
    put(F, 'MacroUp', 16, 16, list_icon('up'))
    put(F, 'MacroTime', 16, 16, list_icon('time'))
    put(F, 'Up', 10, 10, chevron(10, 10, True, MUTED))
    put(F, 'Down', 10, 10, chevron(10, 10, False, MUTED))
    combo_set(F, 130, 30)
    put(F, 'CheckBox', 16, 16, check_box(False), shared='check-off')
    put(F, 'CheckBoxCheck', 16, 16, check_box(True), shared='check-on')
    state_set(F, [('Button', 'normal'), ('ButtonHover', 'hover'), ('ButtonClick', 'pressed')], 100, 30, 'button')
    put(F, 'Record', 140, 36, record_button(140, 36, False, False))
    put(F, 'RecordHover', 140, 36, record_button(140, 36, False, True))
    put(F, 'Stop', 140, 36, record_button(140, 36, True, False))
    put(F, 'StopHover', 140, 36, record_button(140, 36, True, True))


PRESETS = [(255, 0, 0), (0, 255, 255), (0, 255, 0), (255, 0, 255), (255, 255, 0), (255, 80, 0), (0, 0, 255),
           (227, 0, 127), (46, 166, 223), (96, 25, 133), (255, 255, 255), (139, 178, 36), (255, 155, 51),
           (208, 113, 173)]


def folder_light():
    F = 'Light'
    combo_set(F, 130, 30)
    put(F, 'Close', 36, 18, switch(False), shared='switch-off')
    put(F, 'Open', 36, 18, switch(True), shared='switch-on')
    put(F, 'HuaKuai', 6, 18, slider_handle(), shared='slider-handle')
    put(F, 'ColorBoard', 280, 150, colour_board(280, 150))
    put(F, 'PreviewColor', 60, 60, preview_empty(60))
    put(F, 'Reduce', 20, 20, plus_minus(20, 20, False, True), shared='minus-round-20')
    put(F, 'Add', 20, 20, plus_minus(20, 20, True, True), shared='plus-round-20')
    for i, c in enumerate(PRESETS):
        put(F, 'Color%s' % chr(ord('A') + i), 24, 24, preset_swatch(hexc(c)))


def folder_formsetting():
    F = 'FormSetting'
    put(F, 'Title', 16, 10, title_mark(), shared='title-mark')
    combo_set(F, 150, 30, popup_h=160)
    put(F, 'CheckBox', 16, 16, check_box(False), shared='check-off')
    put(F, 'CheckBoxChecked', 16, 16, check_box(True), shared='check-on')
    put(F, 'CheckBox2', 16, 16, check_box(False, round_=True), shared='radio-off')
    put(F, 'CheckBoxCheck', 16, 16, check_box(True, round_=True), shared='radio-on')
    put(F, 'PariButton', 120, 32, button(120, 32, 'normal', tone='primary'))
    put(F, 'Mouse', 24, 24, mouse_icon(24))
    put(F, 'Picture', 20, 20, warn_triangle(20))
    put(F, 'Confirm', 100, 28, button(100, 28, 'normal'))
    put(F, 'WaitUpdate', 100, 28, update_button(100, 28, 'normal'))
    put(F, 'WaitUpdateHover', 100, 28, update_button(100, 28, 'hover'))


def folder_setting():
    F = 'Setting'
    put(F, 'BackSecondPage', 458, 242, pairing_background(458, 242))
    put(F, 'CloseSecondPage', 20, 20, cross_button(20, 'normal'), shared='notice-close-normal')
    put(F, 'CloseSecondPageHover', 20, 20, cross_button(20, 'hover'), shared='notice-close-hover')
    put(F, 'CloseSecondPageClick', 20, 20, cross_button(20, 'pressed'), shared='notice-close-pressed')
    put(F, 'Picture', 120, 60, pairing_picture(120, 60))
    put(F, 'Pair', 154, 32, button(154, 32, 'normal', tone='primary'))
    put(F, 'PairFail', 154, 32, button(154, 32, 'normal', tone='danger'))
    put(F, 'PairSuccess', 154, 32, button(154, 32, 'checked', tone='primary'))


def resources():
    for size in (16, 32, 64, 256):
        emit(':/icons/desklink-%d.png' % size, size, size, 'common/logo-64.svg', logo(64).text())


def main():
    folder_dialog()
    folder_dialogchange()
    folder_warningdialog()
    folder_buttoninterface()
    folder_sensor()
    folder_macro()
    folder_light()
    folder_formsetting()
    folder_setting()
    resources()

    # drop drawings no picture uses any more
    for root, _, files in os.walk(ART):
        for name in files:
            if name.endswith('.svg'):
                rel = os.path.relpath(os.path.join(root, name), ART)
                if rel not in FILES:
                    os.remove(os.path.join(root, name))
    for src, content in FILES.items():
        full = os.path.join(ART, src)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        old = open(full).read() if os.path.exists(full) else None
        if old != content:
            with open(full, 'w') as fh:
                fh.write(content)

    lines = ['# Every picture the program loads: <picture> <width> <height> <svg source below art/>.',
             '# "Folder/Name.png" is rendered to <application folder>/Picture/Folder/Name.png,',
             '# ":/path.png" into the compiled-in resources. Written by art/generate.py.']
    for pic, w, h, src in MANIFEST:
        lines.append('%s %d %d %s' % (pic, w, h, src))
    with open(os.path.join(ART, 'manifest.txt'), 'w') as fh:
        fh.write('\n'.join(lines) + '\n')
    print('%d pictures, %d drawings' % (len(MANIFEST), len(FILES)))


if __name__ == '__main__':
    main()
