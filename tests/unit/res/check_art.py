#!/usr/bin/python3
"""Checks the committed artwork against what the windows rely on.

usage: check_art.py <src/res folder>

Sizes and alpha rules of every PNG 144..204, the shadow ramp of the layered
parents, the pictures inside the shadows, the shared prompt picture, the
copies of the close button, legibility of the places where the windows draw
text at run time, the icon's images, and that the committed files are exactly
what art/make_art.py draws.
"""
import os
import subprocess
import sys
import tempfile
from io import BytesIO

from PIL import Image

RES = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(__file__), "..", "..", "..", "src", "res")
FAILS = []


def check(cond, what):
    if not cond:
        FAILS.append(what)
    return cond


def png(i):
    return Image.open(os.path.join(RES, "png", "%d.png" % i))


# id range -> (width, height)
SIZES = {}
for ids, size in [((144,), (434, 634)), ((145,), (400, 600)), ((146,), (48, 16)),
                  (range(147, 151), (13, 13)), ((151, 152), (348, 236)),
                  (range(153, 157), (13, 13)), (range(157, 161), (258, 44)),
                  (range(161, 165), (54, 21)), ((165, 166), (348, 236)),
                  (range(167, 171), (112, 38)), (range(171, 175), (13, 13)),
                  (range(175, 187), (112, 38)), ((187,), (434, 514)),
                  ((188,), (400, 480)), (range(189, 193), (13, 13)),
                  (range(193, 197), (258, 44)), (range(197, 201), (250, 48)),
                  (range(201, 205), (258, 44))]:
    for i in ids:
        SIZES[i] = size
RGB_ONLY = {148, 149, 150, 172, 173, 174, 190, 191, 192}
FOUR_STATE_SETS = [147, 153, 157, 161, 167, 171, 175, 179, 183, 189, 193, 197, 201]


def luminance(rgb):
    def lin(c):
        c = c / 255
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (lin(v) for v in rgb[:3])
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def worst_contrast(img, box, color):
    """Lowest contrast of a text colour against any pixel of a box."""
    region = img.convert("RGB").crop(box)
    return min(contrast(color, p) for p in region.getdata())


def spread(img, box):
    """Largest step between neighbouring pixels inside a box: a calm area
    (flat or a smooth gradient) has no edges a control or text would cut."""
    region = img.convert("RGB").crop(box)
    w, h = region.size
    px = region.load()
    step = 0
    for y in range(h):
        for x in range(w):
            for nx, ny in ((x + 1, y), (x, y + 1)):
                if nx < w and ny < h:
                    step = max(step, max(abs(a - b) for a, b in zip(px[x, y], px[nx, ny])))
    return step


def test_sizes_and_modes():
    for i in range(144, 205):
        path = os.path.join(RES, "png", "%d.png" % i)
        if not check(os.path.exists(path), "%d.png missing" % i):
            continue
        im = Image.open(path)
        check(im.size == SIZES[i], "%d: size %s, expected %s" % (i, im.size, SIZES[i]))
        want = "RGB" if i in RGB_ONLY else "RGBA"
        check(im.mode == want, "%d: mode %s, expected %s" % (i, im.mode, want))
    extra = set(os.listdir(os.path.join(RES, "png"))) - {"%d.png" % i for i in range(144, 205)}
    check(not extra, "unexpected files in png/: %s" % sorted(extra))


def test_shadow(parent, body):
    p, b = png(parent).convert("RGBA"), png(body).convert("RGBA")
    w, h = p.size
    bw, bh = b.size
    check((w - bw, h - bh) == (34, 34), "%d: not a 17-pixel frame around %d" % (parent, body))
    # the ramp along the middle of every side, from the outer edge inwards
    for name, pts in [("left", [(x, h // 2) for x in range(18)]),
                      ("right", [(w - 1 - x, h // 2) for x in range(18)]),
                      ("top", [(w // 2, y) for y in range(18)]),
                      ("bottom", [(w // 2, h - 1 - y) for y in range(18)])]:
        a = [p.getpixel(pt)[3] for pt in pts]
        check(a[0] == 1, "%d %s: edge alpha %d, expected 1" % (parent, name, a[0]))
        check(a[16] == 119, "%d %s: alpha next to the body %d, expected 119" % (parent, name, a[16]))
        check(a[17] == 255, "%d %s: body alpha %d, expected 255" % (parent, name, a[17]))
        check(all(x < y for x, y in zip(a[:17], a[1:17])),
              "%d %s: shadow alpha does not rise: %s" % (parent, name, a[:17]))
    # nothing in the frame is darker-than-shadow or opaque; the outermost ring is at most 1
    alpha = p.getchannel("A")
    for y in range(h):
        for x in range(w):
            inside = 17 <= x < 17 + bw and 17 <= y < 17 + bh
            if not inside:
                a = alpha.getpixel((x, y))
                if a > 119:
                    check(False, "%d: frame pixel %d,%d alpha %d above 119" % (parent, x, y, a))
                    return
                if (x in (0, w - 1) or y in (0, h - 1)) and a > 1:
                    check(False, "%d: outer edge pixel %d,%d alpha %d" % (parent, x, y, a))
                    return
    # black shadow: premultiplied or not, the layered window reads it alike
    frame_rgb = {p.getpixel((x, h // 2))[:3] for x in range(17)}
    check(frame_rgb == {(0, 0, 0)}, "%d: shadow is not black: %s" % (parent, frame_rgb))
    # the body is the content's picture: wherever the content is opaque the
    # parent shows the very same pixel, and the rounded corners sit on shadow
    inner = p.crop((17, 17, 17 + bw, 17 + bh))
    diff = 0
    for pi, bi in zip(inner.getdata(), b.getdata()):
        if bi[3] == 255:
            diff += pi != bi
        else:
            diff += pi[3] < bi[3]
    check(diff == 0, "%d: %d body pixels differ from %d" % (parent, diff, body))


def test_rounded_body(i, radius_max):
    """Opaque picture whose corners are rounded through alpha."""
    im = png(i).convert("RGBA")
    w, h = im.size
    a = im.getchannel("A")
    for c in [(0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)]:
        check(a.getpixel(c) == 0, "%d: corner %s not transparent" % (i, c))
    bad = 0
    for y in range(h):
        for x in range(w):
            if a.getpixel((x, y)) != 255:
                near = (min(x, w - 1 - x) < radius_max) and (min(y, h - 1 - y) < radius_max)
                bad += not near
    check(bad == 0, "%d: %d transparent pixels away from the corners" % (i, bad))
    # the rounding leaves the first full row and column mid-way opaque
    check(a.getpixel((w // 2, 0)) == 255 and a.getpixel((0, h // 2)) == 255,
          "%d: edges not opaque" % i)


def test_prompt_picture():
    base = png(151).convert("RGBA")
    for i in (152, 165, 166):
        check(list(png(i).convert("RGBA").getdata()) == list(base.getdata()),
              "%d differs from 151" % i)
    test_rounded_body(151, 10)
    w, h = base.size
    # a vertical blue gradient: blue dominates, darker towards the bottom
    top, bottom = base.getpixel((w // 2, 20)), base.getpixel((w // 2, h - 20))
    check(top[2] > top[0] and bottom[2] > bottom[0], "151: not blue: %s %s" % (top, bottom))
    check(luminance(top) > luminance(bottom), "151: does not darken downwards")
    # thin violet top line
    line = base.getpixel((w // 2, 0))
    check(line[0] > top[0] + 40 and line[2] > 200, "151: no violet top line: %s" % (line,))
    # run-time white text: title at 10,8 and the message band 10,30-338,176
    check(worst_contrast(base, (10, 30, 338, 176), (255, 255, 255)) >= 3.0,
          "151: message band too light for white text")
    check(worst_contrast(base, (10, 8, 70, 22), (255, 255, 255)) >= 3.0,
          "151: title area too light for white text")
    check(spread(base, (10, 30, 338, 176)) < 12, "151: message band is not calm")


def test_copies():
    for base in (171, 189):
        for k in range(4):
            a, b = png(147 + k), png(base + k)
            check(a.mode == b.mode and list(a.getdata()) == list(b.getdata()),
                  "%d is not the same picture as %d" % (base + k, 147 + k))


def test_close_and_minimise():
    normal = png(147)
    check(normal.getpixel((0, 0))[3] == 0 and normal.getpixel((6, 6))[3] > 128,
          "147: not a cross on transparent")
    for i, reddish in ((148, True), (149, True), (150, False)):
        im = png(i)
        r, g, b = im.getpixel((0, 0))
        check((r > g + 60) == reddish, "%d: background %s" % (i, (r, g, b)))
        check(im.getpixel((6, 6)) == (255, 255, 255) or min(im.getpixel((6, 6))) > 220,
              "%d: cross not white" % i)
    for i in range(153, 157):
        im = png(i)
        a = im.getchannel("A")
        rows = [y for y in range(13) if any(a.getpixel((x, y)) for x in range(13))]
        check(len(rows) == 1, "%d: not a one-pixel bar: rows %s" % (i, rows))


def test_checkbox_strip():
    im = png(146).convert("RGBA")
    frames = [im.crop((16 * k, 0, 16 * k + 16, 16)) for k in range(3)]
    check(frames[0].getpixel((8, 8))[:3] == (255, 255, 255), "146: empty box not white")
    check(frames[0].getpixel((0, 0))[3] == 0, "146: box corners not rounded")
    for k in range(3):
        border = frames[k].getpixel((1, 8))
        check(border[3] == 255 and 100 < border[0] < 220, "146 frame %d: no grey border" % k)
    # the tick and the filled square are blue marks inside the box
    def blue_count(f):
        return sum(1 for p in f.getdata() if p[3] and p[2] > 200 and p[0] < 140)
    check(blue_count(frames[0]) == 0, "146: empty box has a mark")
    check(blue_count(frames[1]) >= 6, "146: no tick")
    check(blue_count(frames[2]) >= 25, "146: no filled square")
    check(list(frames[1].getdata()) != list(frames[2].getdata()), "146: tick equals square")


def saturation(img):
    rgb = [p for p in img.convert("RGBA").getdata() if p[3] == 255]
    return sum(max(p[:3]) - min(p[:3]) for p in rgb) / max(1, len(rgb))


def test_button_states():
    for base in FOUR_STATE_SETS:
        ims = [png(base + k).convert("RGBA") for k in range(4)]
        datas = [list(im.getdata()) for im in ims]
        for x in range(4):
            for y in range(x + 1, 4):
                check(datas[x] != datas[y], "%d and %d are the same picture" % (base + x, base + y))
        if base in (147, 153, 171, 189):
            continue
        # labelled buttons: light label ink across the middle
        for k, im in enumerate(ims):
            w, h = im.size
            mid = im.crop((w // 4, h // 4, 3 * w // 4, 3 * h // 4))
            light = sum(1 for p in mid.getdata() if p[3] > 200 and min(p[:3]) > 200)
            check(light >= 20, "%d: no label" % (base + k))
        # the disabled state is grey
        check(saturation(ims[3]) < saturation(ims[2]) / 3,
              "%d: disabled state is not grey" % (base + 3))
    # the not-solved button's normal state is an outline with a transparent body
    out = png(201).convert("RGBA")
    check(out.getpixel((6, 22))[3] == 0 and out.getpixel((0, 22))[3] > 100,
          "201: not an outline")


def test_fix_page_calm_areas():
    page = png(145).convert("RGBA")
    white = (255, 255, 255)
    link = (58, 110, 250)
    # version number, white, drawn from x 242 on the top band
    check(worst_contrast(page, (242, 12, 330, 27), white) >= 4.5, "145: version area too light")
    check(spread(page, (242, 12, 330, 27)) < 12, "145: version area is not calm")
    # checkbox caption, white, right of the box (x 26..54)
    check(worst_contrast(page, (26, 577, 54, 593), white) >= 4.5, "145: checkbox caption area too light")
    # agreement link (x 56..252) and feedback link (x 340..392), blue
    check(worst_contrast(page, (58, 577, 252, 593), link) >= 3.0, "145: agreement link area: blue unreadable")
    check(worst_contrast(page, (340, 577, 392, 593), link) >= 3.0, "145: feedback link area: blue unreadable")
    for box in [(58, 577, 252, 593), (340, 577, 392, 593)]:
        check(spread(page, box) < 12, "145: link area %s is not calm" % (box,))
    # under the buttons: close, minimise, more tools, uninstall
    for box in [(374, 12, 387, 25), (337, 12, 350, 25), (306, 390, 360, 411), (78, 478, 322, 526)]:
        check(spread(page, box) < 12, "145: button area %s is not calm" % (box,))


def test_feedback_page_calm_areas():
    page = png(188).convert("RGBA")
    for box in [(71, 196, 329, 240), (71, 280, 329, 324), (71, 364, 329, 408)]:
        check(spread(page, box) < 12, "188: button area %s is not calm" % (box,))
    # the question is drawn in, white, above the first answer
    band = page.convert("RGB").crop((71, 100, 329, 190))
    check(sum(1 for p in band.getdata() if min(p) > 230) > 200, "188: no question above the answers")


def test_icon():
    data = open(os.path.join(RES, "icon", "app.ico"), "rb").read()
    import struct
    reserved, kind, count = struct.unpack_from("<HHH", data)
    check((reserved, kind, count) == (0, 1, 13), "icon: header %s" % ((reserved, kind, count),))
    sizes = []
    for k in range(count):
        w, h, _, _, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * k)
        w, h = w or 256, h or 256
        sizes.append(w)
        check(w == h and bits == 32, "icon: entry %d is %dx%d, %d bits" % (k, w, h, bits))
        blob = data[offset:offset + size]
        check(offset + size <= len(data), "icon: entry %d runs past the file" % k)
        # the large entries PNG-compressed (Windows reads them since Vista),
        # each a true-colour picture with alpha of the size its entry says
        if w >= 64:
            if check(blob[:8] == b"\x89PNG\r\n\x1a\n", "icon: %d entry is not PNG-compressed" % w):
                im = Image.open(BytesIO(blob))
                check(im.size == (w, h) and im.mode == "RGBA",
                      "icon: %d entry holds a %s %s picture" % (w, im.mode, im.size))
        else:
            hdr = struct.unpack_from("<IiiHH", blob)
            check(hdr == (40, w, 2 * h, 1, 32), "icon: entry %d header %s" % (k, hdr))
    check(len(set(sizes)) == 13 and min(sizes) == 16 and max(sizes) == 256
          and {16, 32, 48, 256} <= set(sizes), "icon: sizes %s" % sizes)


def test_regenerates_identically():
    script = os.path.join(RES, "art", "make_art.py")
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run(["/usr/bin/python3", script, tmp], check=True, stdout=subprocess.DEVNULL)
        names = ["png/%d.png" % i for i in range(144, 205)] + ["icon/app.ico"]
        stale = [n for n in names
                 if open(os.path.join(tmp, n), "rb").read() != open(os.path.join(RES, n), "rb").read()]
        check(not stale, "committed art differs from make_art.py output: %s" % stale)


def main():
    test_sizes_and_modes()
    if FAILS:
        print("\n".join(FAILS))
        return 1
    test_shadow(144, 145)
    test_shadow(187, 188)
    test_rounded_body(145, 9)
    test_rounded_body(188, 9)
    test_prompt_picture()
    test_copies()
    test_close_and_minimise()
    test_checkbox_strip()
    test_button_states()
    test_fix_page_calm_areas()
    test_feedback_page_calm_areas()
    test_icon()
    test_regenerates_identically()
    print("\n".join(FAILS) if FAILS else "art: all checks passed")
    return 1 if FAILS else 0


if __name__ == "__main__":
    sys.exit(main())
