"""Looks at screenshots of the tool for the end-to-end scripts.

usage:
  shots.py same A.png B.png [tolerance]
      exit 0 when the two pictures are equal within the tolerance per channel
  shots.py differ A.png B.png [min-pixels]
      exit 0 when at least min-pixels pixels differ clearly (by more than 40)
  shots.py crop SHOT.png "l t r b" OUT.png
  shots.py links PAGE.png scale
      the link texts of the fix page's bottom line: prints one line per link,
      "agreement|feedback x0 y0 x1 y1" in the page's pixels
  shots.py colour PAGE.png "l t r b" normal|hover
      exit 0 when the box holds text in that link colour and none in the other
  shots.py saturation PICTURE.png
      prints the mean saturation (0..255)
  shots.py composite SHOT.png X Y PARENT.png OUT.png
      the shadowed window whose top-left corner is at X, Y on the screen as it
      looks over a light desktop: the virtual screen has no compositor, so X
      shows the layered parent's shadow against black. Where the parent's
      picture is opaque the screenshot is kept (the content lies there);
      elsewhere the picture is blended over the desktop colour. Scale 1 only.
"""
import sys

from PIL import Image, ImageChops, ImageStat

DESKTOP = (232, 236, 240)
LINK_NORMAL = (58, 110, 250)
LINK_HOVER = (13, 44, 255)


def rgb(path):
    return Image.open(path).convert("RGB")


def box_of(text):
    return tuple(int(v) for v in text.split())


def same(a, b, tolerance=8):
    ia, ib = rgb(a), rgb(b)
    if ia.size != ib.size:
        print("sizes differ:", ia.size, ib.size)
        return 1
    worst = max(hi for _, hi in ImageChops.difference(ia, ib).getextrema())
    print("largest difference", worst)
    return 0 if worst <= int(tolerance) else 1


def differ(a, b, min_pixels=50):
    ia, ib = rgb(a), rgb(b)
    if ia.size != ib.size:
        return 0
    diff = ImageChops.difference(ia, ib).convert("L")
    count = sum(1 for v in diff.getdata() if v > 40)
    print("clearly different pixels", count)
    return 0 if count >= int(min_pixels) else 1


def crop(shot, box, out):
    rgb(shot).crop(box_of(box)).save(out)
    return 0


def near(p, colour, limit=60):
    return sum((a - b) ** 2 for a, b in zip(p, colour)) <= limit * limit


def link_pixels(im, box, colour):
    x0, y0, x1, y1 = box
    return [(x, y) for y in range(y0, y1) for x in range(x0, x1) if near(im.getpixel((x, y)), colour)]


def bluish(p):
    r, g, b = p
    return b > 200 and b - r > 60


def links(page, scale):
    im = rgb(page)
    w, h = im.size
    s = float(scale)
    y0, y1 = h - int(25 * s), h - int(5 * s)
    pts = [(x, y) for y in range(y0, y1) for x in range(w) if bluish(im.getpixel((x, y)))]
    if not pts:
        print("no link text")
        return 1
    # Columns holding blue text, grouped across the gaps between glyphs; the
    # last two groups are the agreement text and, at the right, the feedback
    # text (the checkbox's blue box may form a group of its own before them).
    cols = sorted({x for x, _ in pts})
    groups = [[cols[0], cols[0]]]
    for x in cols[1:]:
        if x - groups[-1][1] > int(30 * s):
            groups.append([x, x])
        else:
            groups[-1][1] = x
    if len(groups) < 2:
        print("expected two links, found", groups)
        return 1
    for name, (gx0, gx1) in zip(("agreement", "feedback"), groups[-2:]):
        ys = [y for x, y in pts if gx0 <= x <= gx1]
        print(name, gx0, min(ys), gx1 + 1, max(ys) + 1)
    return 0


def colour(page, box, which):
    im = rgb(page)
    # Anti-aliasing blends the text with the light band, which only makes it
    # lighter: the edges of the darker hover colour come near the normal
    # colour, never the other way round. So the hover colour's core pixels
    # decide.
    core = lambda colour: [p for p in link_pixels(im, box_of(box), colour) if near(im.getpixel(p), colour, 25)]
    n_hover, n_normal = len(core(LINK_HOVER)), len(core(LINK_NORMAL))
    print("hover colour pixels", n_hover, "normal colour pixels", n_normal)
    if which == "hover":
        return 0 if n_hover >= 20 else 1
    return 0 if n_hover == 0 and n_normal >= 20 else 1


def saturation(picture):
    print(int(ImageStat.Stat(Image.open(picture).convert("HSV")).mean[1]))
    return 0


def composite(shot, x, y, parent, out):
    screen = rgb(shot)
    pic = Image.open(parent).convert("RGBA")
    x, y = int(x), int(y)
    w, h = pic.size
    result = Image.new("RGB", (w, h), DESKTOP)
    src = pic.load()
    dst = result.load()
    for j in range(h):
        for i in range(w):
            r, g, b, a = src[i, j]
            if a == 255:
                dst[i, j] = screen.getpixel((x + i, y + j))
            else:
                dst[i, j] = tuple((c * a + d * (255 - a)) // 255 for c, d in zip((r, g, b), DESKTOP))
    result.save(out)
    return 0


COMMANDS = {"same": same, "differ": differ, "crop": crop, "links": links, "colour": colour,
            "saturation": saturation, "composite": composite}

if __name__ == "__main__":
    if len(sys.argv) < 2 or sys.argv[1] not in COMMANDS:
        print(__doc__)
        sys.exit(2)
    sys.exit(COMMANDS[sys.argv[1]](*sys.argv[2:]))
