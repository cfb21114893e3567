"""Shows a shadowed pair as it looks over a light desktop.

The virtual screen has no compositor, so X shows the parent's layer with its
alpha ignored (a black shadow). This puts the layer the driver rendered over a
light background, pastes the opaque content from the screenshot inside its
rounded region, saves the picture, and checks the shadow's fall-off.

usage: composite.py screenshot layer.bin "l t r b" "l t r b" ellipse out.png margin
  the parent's and the content's window rectangles, the content's corner
  ellipse, and the shadow margin to check (0: none).
"""
import struct
import sys

from PIL import Image

BACKGROUND = (232, 236, 240)


def rounded_inside(x, y, w, h, d):
    r = d / 2.0
    cx = min(max(x + 0.5, r), w - r)
    cy = min(max(y + 0.5, r), h - r)
    return (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r


def main():
    shot = Image.open(sys.argv[1]).convert("RGB")
    with open(sys.argv[2], "rb") as f:
        data = f.read()
    assert data[:4] == b"HRL1", "not a layer dump"
    lw, lh = struct.unpack("<ii", data[4:12])
    px = data[12:]
    pl, pt, pr, pb = map(int, sys.argv[3].split())
    cl, ct, cr, cb = map(int, sys.argv[4].split())
    ellipse = int(sys.argv[5])
    out_path = sys.argv[6]
    margin = int(sys.argv[7])
    assert (lw, lh) == (pr - pl, pb - pt), ("layer size", lw, lh)

    pad = 24
    out = Image.new("RGB", (lw + 2 * pad, lh + 2 * pad), BACKGROUND)
    pix = out.load()
    for y in range(lh):
        for x in range(lw):
            b, g, r, a = px[(y * lw + x) * 4:(y * lw + x) * 4 + 4]
            # Premultiplied "over".
            pix[x + pad, y + pad] = tuple(c + bg * (255 - a) // 255 for c, bg in zip((r, g, b), BACKGROUND))
    cw, ch = cr - cl, cb - ct
    for y in range(ch):
        for x in range(cw):
            if rounded_inside(x, y, cw, ch, ellipse):
                pix[cl - pl + x + pad, ct - pt + y + pad] = shot.getpixel((cl + x, ct + y))
    out.save(out_path)

    if margin:
        # Down the middle of the top margin the shadow darkens from the
        # desktop's colour towards the picture, with no light or dark seam.
        column = [pix[lw // 2 + pad, pad + y][0] for y in range(margin)]
        print("shadow from the edge inwards:", column)
        assert abs(column[0] - BACKGROUND[0]) <= 3, "outer edge is not the desktop"
        assert all(b <= a + 2 for a, b in zip(column, column[1:])), "shadow does not darken steadily"
        assert column[-1] < BACKGROUND[0] - 40, "shadow too faint next to the picture"


if __name__ == "__main__":
    main()
