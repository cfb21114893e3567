#!/usr/bin/python3
"""Draws the tool's artwork: the 61 PNGs 144..204 and the application icon.

Run with Debian's Python (it has PIL):  /usr/bin/python3 src/res/art/make_art.py
It packs its output with optipng and advdef (scripts/setup.sh installs both).
The results are committed under src/res/png and src/res/icon; the build only
compiles them in. Output is deterministic, so re-running it on an unchanged
script with the same packers leaves git clean.

Where the windows put their run-time text and controls is fixed by the dialog
code (pixel positions at scale 1 are noted beside each picture below); the
pictures leave those places calm so that the controls' background pieces,
cut from these same pictures, look right.
"""
import math
import os
import shlex
import shutil
import struct
import subprocess
import sys
import tempfile

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.dirname(HERE)

FONT_FILE = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
SS = 4  # supersampling factor for shapes

# ---------------------------------------------------------------- palette
WHITE = (255, 255, 255)
MUTED = (178, 188, 226)        # secondary text on the dark pages
FAINT = (124, 136, 186)
BG_TOP = (44, 38, 120)         # blue-violet top of the dark pages
BG_BOTTOM = (17, 22, 62)       # navy bottom
PANEL = (255, 255, 255)        # information panel: white at low alpha
VIOLET_LIGHT = (176, 140, 255)
BLUE = (47, 107, 255)          # the action colour
BLUE_HOVER = (86, 140, 255)
BLUE_PRESSED = (28, 78, 208)
GREY = (132, 140, 160)         # disabled
GREY_TEXT = (220, 224, 232)
PROMPT_TOP = (54, 90, 226)
PROMPT_BOTTOM = (22, 34, 112)
RED_LIGHT = (240, 96, 96)
RED_STRONG = (214, 40, 40)
GREY_BLUE = (120, 134, 168)
CLOSE_GREY = (200, 206, 222)
FOOTER = (240, 243, 251)       # light footer strip: the links are blue
FOOTER_LINE = (214, 220, 240)


def font(px):
    return ImageFont.truetype(FONT_FILE, px)


# ---------------------------------------------------------------- primitives
def rr_mask(size, box, radius, ss=SS):
    """Anti-aliased mask of a rounded rectangle; box edges are pixel edges."""
    w, h = size
    m = Image.new("L", (w * ss, h * ss), 0)
    x0, y0, x1, y1 = box
    ImageDraw.Draw(m).rounded_rectangle(
        [round(x0 * ss), round(y0 * ss), round(x1 * ss) - 1, round(y1 * ss) - 1],
        radius=radius * ss, fill=255)
    return m.resize((w, h), Image.BOX)


def scale_mask(mask, alpha):
    return mask.point(lambda v: v * alpha // 255)


def paint(img, mask, color):
    """Composites a solid colour through a mask (with optional colour alpha)."""
    a = color[3] if len(color) == 4 else 255
    layer = Image.new("RGBA", img.size, tuple(color[:3]) + (0,))
    layer.putalpha(scale_mask(mask, a) if a != 255 else mask)
    img.alpha_composite(layer)


def paint_layer(img, layer, mask):
    """Composites a picture through a mask, keeping the picture's own alpha."""
    if layer.mode == "RGBA":
        mask = ImageChops.multiply(layer.getchannel("A"), mask)
    layer = layer.convert("RGBA")
    layer.putalpha(mask)
    img.alpha_composite(layer)


def vgrad(size, stops):
    """Vertical gradient through (position 0..1, colour) stops; RGBA when
    the colours carry alpha."""
    w, h = size
    col = Image.new("RGBA" if len(stops[0][1]) == 4 else "RGB", (1, h))
    px = []
    for y in range(h):
        t = y / max(1, h - 1)
        for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
            if p0 <= t <= p1:
                u = 0 if p1 == p0 else (t - p0) / (p1 - p0)
                px.append(tuple(round(a + (b - a) * u) for a, b in zip(c0, c1)))
                break
    col.putdata(px)
    return col.resize((w, h), Image.NEAREST)


def radial_glow(size, center, radius, color, alpha):
    """Soft round glow, alpha falling off quadratically to the radius."""
    w, h = size
    m = Image.new("L", size, 0)
    cx, cy = center
    data = []
    for y in range(h):
        for x in range(w):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy) / radius
            data.append(0 if d >= 1 else round(alpha * (1 - d) ** 2))
    m.putdata(data)
    layer = Image.new("RGBA", size, color + (0,))
    layer.putalpha(m)
    return layer


def soft_ellipse(size, box, color, alpha, blur):
    """A blurred ellipse: a glow beneath a control."""
    m = Image.new("L", size, 0)
    ImageDraw.Draw(m).ellipse(box, fill=alpha)
    m = m.filter(ImageFilter.GaussianBlur(blur))
    layer = Image.new("RGBA", size, color + (0,))
    layer.putalpha(m)
    return layer


def text_mask(size, xy, text, px, anchor="la", bold=False):
    """Mask of a text. Bold text is drawn supersampled with a thin stroke."""
    if not bold:
        m = Image.new("L", size, 0)
        ImageDraw.Draw(m).text(xy, text, font=font(px), fill=255, anchor=anchor)
        return m
    s = 3
    big = Image.new("L", (size[0] * s, size[1] * s), 0)
    ImageDraw.Draw(big).text((xy[0] * s, xy[1] * s), text, font=font(px * s),
                             fill=255, anchor=anchor, stroke_width=1, stroke_fill=255)
    return big.resize(size, Image.BOX)


def ink_box(text, px, bold=False):
    f = font(px)
    if not bold:
        return f.getbbox(text)
    s = 3
    b = font(px * s).getbbox(text, stroke_width=1)
    return tuple(v / s for v in b)


def draw_text(img, xy, text, px, color, anchor="la", bold=False):
    paint(img, text_mask(img.size, xy, text, px, anchor, bold), color)


def draw_text_centered(img, box, text, px, color, bold=False, dy=0):
    """Centres the ink of a text in box (x0, y0, x1, y1)."""
    b = ink_box(text, px, bold)
    x = (box[0] + box[2]) / 2 - (b[0] + b[2]) / 2
    y = (box[1] + box[3]) / 2 - (b[1] + b[3]) / 2 + dy
    if not bold:
        x, y = round(x), round(y)
    draw_text(img, (x, y), text, px, color, bold=bold)


def text_width(text, px, bold=False):
    b = ink_box(text, px, bold)
    return b[2] - b[0]


def round_corners(img, radius):
    """Makes the corners of an opaque picture transparent (anti-aliased)."""
    m = rr_mask(img.size, (0, 0) + img.size, radius)
    img.putalpha(ImageChops.multiply(img.getchannel("A"), m))
    return img


# ---------------------------------------------------------------- shadow
SHADOW = 17          # margin on every side
BODY_RADIUS = 8      # fix page and feedback: the window region uses 18 (r 9)


def shadow_alpha(depth):
    """Alpha at a depth (0 = outermost pixel, 16 = next to the body)."""
    if depth < -0.5:
        return 0
    depth = min(max(depth, 0.0), 16.0)
    return round(1 + 118 * (depth / 16.0) ** 1.6)


def with_shadow(body):
    """Frames a picture with the 17-pixel soft shadow of the layered parents."""
    bw, bh = body.size
    w, h = bw + 2 * SHADOW, bh + 2 * SHADOW
    r = BODY_RADIUS
    # Rounded body rectangle in the framed picture's coordinates.
    x0, y0, x1, y1 = SHADOW, SHADOW, SHADOW + bw, SHADOW + bh
    data = []
    for y in range(h):
        cy = y + 0.5
        for x in range(w):
            cx = x + 0.5
            # distance from the pixel centre to the rounded body
            qx = max(x0 + r - cx, 0, cx - (x1 - r))
            qy = max(y0 + r - cy, 0, cy - (y1 - r))
            e = math.hypot(qx, qy) - r
            data.append(shadow_alpha(16.5 - e))
    a = Image.new("L", (w, h))
    a.putdata(data)
    out = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    out.putalpha(a)
    out.alpha_composite(body, (SHADOW, SHADOW))
    return out


# ---------------------------------------------------------------- small glyphs
def logo_mark(size, radius=None):
    """The brand mark: a blue-violet rounded tile with a white gear and a
    removal bar. Used in page headers and, larger, as the application icon."""
    s = size
    radius = radius if radius is not None else s * 0.24
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    tile = rr_mask((s, s), (0, 0, s, s), radius)
    grad = Image.new("RGB", (s, s))
    # diagonal blue -> violet
    px = []
    for y in range(s):
        for x in range(s):
            t = (x + y) / max(1, 2 * s - 2)
            px.append(tuple(round(a + (b - a) * t) for a, b in zip((64, 120, 255), (132, 76, 240))))
    grad.putdata(px)
    paint_layer(img, grad, tile)
    paint(img, gear_mask((s, s), (s * 0.46, s * 0.5), s * 0.30), WHITE)
    # removal badge: a round plate with a minus, lower right
    bc = (s * 0.72, s * 0.72)
    br = s * 0.19
    if s >= 20:
        paint(img, circle_mask((s, s), bc, br + max(1.0, s * 0.035)), (132, 76, 240))
        paint(img, circle_mask((s, s), bc, br), (255, 92, 120))
        bar = rect_mask((s, s), (bc[0] - br * 0.55, bc[1] - max(0.75, br * 0.14),
                                 bc[0] + br * 0.55, bc[1] + max(0.75, br * 0.14)))
        paint(img, bar, WHITE)
    return img


def circle_mask(size, c, r, ss=SS):
    w, h = size
    m = Image.new("L", (w * ss, h * ss), 0)
    ImageDraw.Draw(m).ellipse([(c[0] - r) * ss, (c[1] - r) * ss,
                               (c[0] + r) * ss - 1, (c[1] + r) * ss - 1], fill=255)
    return m.resize(size, Image.BOX)


def rect_mask(size, box, ss=SS):
    w, h = size
    m = Image.new("L", (w * ss, h * ss), 0)
    ImageDraw.Draw(m).rectangle([round(box[0] * ss), round(box[1] * ss),
                                 round(box[2] * ss) - 1, round(box[3] * ss) - 1], fill=255)
    return m.resize(size, Image.BOX)


def gear_mask(size, c, r, teeth=8, ss=SS):
    """A gear with a hole: outer radius r, trapezoid teeth."""
    w, h = size
    m = Image.new("L", (w * ss, h * ss), 0)
    d = ImageDraw.Draw(m)
    cx, cy, R = c[0] * ss, c[1] * ss, r * ss
    body = R * 0.76
    pitch = 2 * math.pi / teeth
    half_top, half_base = pitch * 0.17, pitch * 0.25
    pts = []
    for k in range(teeth):
        t = k * pitch - math.pi / 2
        for rad, ang in ((body, t - half_base), (R, t - half_top), (R, t + half_top), (body, t + half_base)):
            pts.append((cx + rad * math.cos(ang), cy + rad * math.sin(ang)))
        # the rim between this tooth and the next
        for j in range(1, 6):
            ang = t + half_base + (pitch - 2 * half_base) * j / 6
            pts.append((cx + body * math.cos(ang), cy + body * math.sin(ang)))
    d.polygon(pts, fill=255)
    hole = R * 0.33
    d.ellipse([cx - hole, cy - hole, cx + hole, cy + hole], fill=0)
    return m.resize(size, Image.BOX)


def line_mask(size, p0, p1, width, ss=SS):
    w, h = size
    m = Image.new("L", (w * ss, h * ss), 0)
    d = ImageDraw.Draw(m)
    d.line([p0[0] * ss, p0[1] * ss, p1[0] * ss, p1[1] * ss], fill=255, width=round(width * ss))
    rr = width * ss / 2
    for p in (p0, p1):
        d.ellipse([p[0] * ss - rr, p[1] * ss - rr, p[0] * ss + rr, p[1] * ss + rr], fill=255)
    return m.resize(size, Image.BOX)


# ---------------------------------------------------------------- buttons
def pill_button(size, fill_top, fill_bottom, label, px, radius, text=WHITE,
                border=None, outline_only=False, bold=False, shine=True):
    """A rounded button on transparent; label centred."""
    w, h = size
    img = Image.new("RGBA", size, (0, 0, 0, 0))
    shape = rr_mask(size, (0, 0, w, h), radius)
    if outline_only:
        inner = rr_mask(size, (1.25, 1.25, w - 1.25, h - 1.25), max(0, radius - 1.25))
        paint(img, ImageChops.subtract(shape, inner), border)
    else:
        paint_layer(img, vgrad(size, [(0, fill_top), (1, fill_bottom)]), shape)
        if border is not None:
            inner = rr_mask(size, (1, 1, w - 1, h - 1), max(0, radius - 1))
            paint(img, ImageChops.subtract(shape, inner), border)
        if shine:
            # a faint highlight along the top edge
            hl = ImageChops.subtract(shape, rr_mask(size, (0, 1, w, h + 1), radius))
            paint(img, hl, (255, 255, 255, 70))
    draw_text_centered(img, (0, 0, w, h), label, px, text, bold=bold)
    return img


def four_states(size, label, px, radius, bold=False):
    """normal, hover, pressed, disabled of a blue button."""
    rim = (255, 255, 255, 48)
    return [
        pill_button(size, lighten(BLUE, 0.10), BLUE, label, px, radius, bold=bold, border=rim),
        pill_button(size, lighten(BLUE_HOVER, 0.10), BLUE_HOVER, label, px, radius, bold=bold,
                    border=rim),
        pill_button(size, BLUE_PRESSED, darken(BLUE_PRESSED, 0.08), label, px, radius,
                    bold=bold, shine=False),
        pill_button(size, GREY, darken(GREY, 0.06), label, px, radius, text=GREY_TEXT,
                    bold=bold, shine=False),
    ]


def secondary_states(size, label, px, radius):
    """The second answer of the prompt (取 消, 否): a lighter, see-through
    blue beside the solid first answer, so the two read as a pair."""
    return [
        pill_button(size, (150, 180, 255, 70), (150, 180, 255, 56), label, px, radius,
                    border=(255, 255, 255, 120), shine=False),
        pill_button(size, (170, 196, 255, 118), (170, 196, 255, 100), label, px, radius,
                    border=(255, 255, 255, 170), shine=False),
        pill_button(size, BLUE_PRESSED, darken(BLUE_PRESSED, 0.08), label, px, radius,
                    shine=False),
        pill_button(size, GREY, darken(GREY, 0.06), label, px, radius, text=GREY_TEXT,
                    shine=False),
    ]


def lighten(c, t):
    return tuple(round(v + (255 - v) * t) for v in c)


def darken(c, t):
    return tuple(round(v * (1 - t)) for v in c)


def close_glyph(fill_bg, cross):
    """13 x 13 close button. Filled states are plain RGB squares."""
    s = 13
    if fill_bg is None:
        img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    else:
        img = Image.new("RGBA", (s, s), fill_bg + (255,))
    m = line_mask((s, s), (3.5, 3.5), (9.5, 9.5), 1.3)
    m = ImageChops.lighter(m, line_mask((s, s), (9.5, 3.5), (3.5, 9.5), 1.3))
    paint(img, m, cross)
    return img if fill_bg is None else img.convert("RGB")


def minimise_glyph(color):
    s = 13
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.line([(3, 7), (9, 7)], fill=color + (255,), width=1)
    return img


def checkbox_strip():
    img = Image.new("RGBA", (48, 16), (0, 0, 0, 0))
    for i in range(3):
        ox = i * 16
        frame = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
        outer = rr_mask((16, 16), (1, 1, 15, 15), 3)
        inner = rr_mask((16, 16), (2, 2, 14, 14), 2)
        paint(frame, outer, (150, 158, 178))
        paint(frame, inner, WHITE)
        if i == 1:
            t = ImageChops.lighter(line_mask((16, 16), (4.6, 8.2), (7.0, 10.6), 1.7),
                                   line_mask((16, 16), (7.0, 10.6), (11.6, 5.2), 1.7))
            paint(frame, t, BLUE)
        elif i == 2:
            paint(frame, rr_mask((16, 16), (4.5, 4.5, 11.5, 11.5), 1.5), BLUE)
        img.alpha_composite(frame, (ox, 0))
    return img


# ---------------------------------------------------------------- pages
def dark_page(size):
    """Opaque blue-violet page with soft light, the base of 145 and 188."""
    w, h = size
    img = vgrad(size, [(0, BG_TOP), (0.55, (30, 32, 92)), (1, BG_BOTTOM)]).convert("RGBA")
    img.alpha_composite(radial_glow(size, (w * 0.85, -20), 220, (120, 90, 255), 70))
    img.alpha_composite(radial_glow(size, (w * 0.05, h * 0.30), 180, (60, 120, 255), 40))
    return img


def header(img, title):
    """Brand mark and name at the top left; the drag band is the top 30 px."""
    img.alpha_composite(logo_mark(18), (16, 9))
    draw_text(img, (41, 18), title, 13, WHITE, anchor="lm")


def hero(img, c):
    """The illustration: a glowing disc with a gear, crossed out by removal."""
    cx, cy = c
    img.alpha_composite(radial_glow(img.size, c, 110, (90, 110, 255), 90))
    ring = circle_mask(img.size, c, 60)
    paint(img, ring, (255, 255, 255, 22))
    paint(img, circle_mask(img.size, c, 52), (255, 255, 255, 18))
    disc = circle_mask(img.size, c, 44)
    g = Image.new("RGB", img.size)
    grad = vgrad((1, 88), [(0, (88, 134, 255)), (1, (122, 76, 236))])
    g.paste(grad.resize((img.size[0], 88)), (0, cy - 44))
    paint_layer(img, g, disc)
    paint(img, gear_mask(img.size, (cx - 2, cy - 2), 29, teeth=8), WHITE)
    # removal badge
    b = (cx + 30, cy + 28)
    paint(img, circle_mask(img.size, b, 17), BG_BOTTOM)
    paint(img, circle_mask(img.size, b, 14), (255, 92, 120))
    paint(img, rect_mask(img.size, (b[0] - 7, b[1] - 1.5, b[0] + 7, b[1] + 1.5)), WHITE)


def fix_page():
    """145, 400 x 600. Controls at scale 1: close 374,12-387,25; minimise
    337,12-350,25; version text from x 242, y 12-27; more tools
    306,390-360,411; uninstall 78,478-322,526; checkbox, agreement and
    feedback links along y 575-595."""
    W, H = 400, 600
    img = dark_page((W, H))
    header(img, "Remedo")
    # "版本" ahead of the version number the page draws at x 242
    draw_text(img, (238, 19), "版本", 12, MUTED, anchor="rm")

    hero(img, (200, 118))
    draw_text_centered(img, (0, 186, W, 210), "Tessaro Veride Hubrelay 服务卸载工具", 19, WHITE, bold=True)
    draw_text_centered(img, (0, 216, W, 234), "安全、彻底地从电脑中移除 Tessaro Veride Hubrelay 服务", 12, MUTED)

    # information panel
    px0, py0, px1, py1 = 24, 252, 376, 424
    panel = rr_mask((W, H), (px0, py0, px1, py1), 10)
    paint(img, panel, PANEL + (16,))
    edge = ImageChops.subtract(panel, rr_mask((W, H), (px0 + 1, py0 + 1, px1 - 1, py1 - 1), 9))
    paint(img, edge, PANEL + (34,))

    draw_text(img, (40, 279), "支持系统", 13, WHITE, anchor="lm")
    names = ("Windows 7", "Windows 10", "Windows 11")
    widths = [text_width(n, 12) + 18 for n in names]
    x = (px1 - 16) - (sum(widths) + 8 * (len(names) - 1))
    for name in names:
        tw = text_width(name, 12)
        chip = (x, 268, x + tw + 18, 290)
        cm = rr_mask((W, H), chip, 11)
        paint(img, cm, (120, 150, 255, 46))
        paint(img, ImageChops.subtract(cm, rr_mask((W, H), (chip[0] + 1, chip[1] + 1, chip[2] - 1, chip[3] - 1), 10)),
              (150, 175, 255, 110))
        draw_text_centered(img, chip, name, 12, WHITE)
        x = chip[2] + 8
    paint(img, rect_mask((W, H), (40, 304, 360, 305)), (255, 255, 255, 30))

    draw_text(img, (40, 323), "使用说明", 13, WHITE, anchor="lm")
    notes = [
        "点击“开始卸载”，停止并删除该服务",
        "卸载完成后，重启计算机即可生效",
        "卸载过程中请勿关闭本工具",
    ]
    for i, n in enumerate(notes):
        y = 348 + i * 22
        paint(img, circle_mask((W, H), (45, y), 2.2), VIOLET_LIGHT)
        draw_text(img, (54, y), n, 12, MUTED, anchor="lm")

    # the uninstall button (78,478-322,526) floats on a soft blue light
    img.alpha_composite(soft_ellipse((W, H), (96, 492, 304, 540), (70, 120, 255), 110, 16))

    # footer: a light strip for the blue link texts; the checkbox caption is
    # white, so the checkbox sits on a dark chip at the strip's left end
    fy = 566
    foot = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    paint(foot, rect_mask((W, H), (0, fy, W, H)), FOOTER)
    paint(foot, rect_mask((W, H), (0, fy, W, fy + 1)), FOOTER_LINE)
    paint(foot, rr_mask((W, H), (4, 574, 56, 596), 6), BG_BOTTOM)
    img.alpha_composite(foot)
    return round_corners(img, BODY_RADIUS)


def feedback_page():
    """188, 400 x 480. Buttons at scale 1: x 71-329, y 196-240, 280-324,
    364-408; the (hidden) close button at 374,12-387,25."""
    W, H = 400, 480
    img = dark_page((W, H))
    header(img, "Tessaro Veride Hubrelay 服务卸载工具")
    # speech bubble with a question mark
    c = (200, 82)
    img.alpha_composite(radial_glow((W, H), c, 80, (90, 110, 255), 80))
    bub = rr_mask((W, H), (172, 58, 228, 102), 14)
    tail = Image.new("L", (W * SS, H * SS), 0)
    ImageDraw.Draw(tail).polygon([(184 * SS, 98 * SS), (198 * SS, 98 * SS), (182 * SS, 112 * SS)], fill=255)
    bub = ImageChops.lighter(bub, tail.resize((W, H), Image.BOX))
    g = Image.new("RGB", (W, H))
    g.paste(vgrad((W, 60), [(0, (88, 134, 255)), (1, (122, 76, 236))]), (0, 56))
    paint_layer(img, g, bub)
    draw_text_centered(img, (172, 58, 228, 102), "?", 28, WHITE, bold=True)

    draw_text_centered(img, (0, 124, W, 150), "本工具是否解决了您的问题？", 20, WHITE, bold=True)
    draw_text_centered(img, (0, 158, W, 176), "您的反馈将帮助我们做得更好", 12, MUTED)
    draw_text_centered(img, (0, 440, W, 458), "感谢您使用 Remedo 修复工具", 12, FAINT)
    return round_corners(img, BODY_RADIUS)


def prompt_page():
    """151/152/165/166, 348 x 236: blue gradient, violet top line, rounded
    corners. Title drawn at 10,8 at run time, close at 322,8-335,21, message
    band 10,30-338,176, buttons 112 x 38 from y 186."""
    W, H = 348, 236
    img = vgrad((W, H), [(0, PROMPT_TOP), (1, PROMPT_BOTTOM)]).convert("RGBA")
    img.alpha_composite(radial_glow((W, H), (W * 0.8, -30), 180, (150, 120, 255), 60))
    paint(img, rect_mask((W, H), (0, 0, W, 2)), VIOLET_LIGHT)
    return round_corners(img, PROMPT_RADIUS)


PROMPT_RADIUS = 7    # the prompt windows' region uses 16 (r 8)


# ---------------------------------------------------------------- icon
ICON_SIZES = [16, 20, 24, 32, 40, 48, 64, 72, 80, 96, 128, 180, 256]


def icon_image(s):
    return logo_mark(s, radius=max(2, round(s * 0.22)))


# Entries from this size up are stored PNG-compressed, as Windows reads them
# since Vista; the small ones stay plain DIBs, the form every loader knows.
ICON_PNG_FROM = 64


def ico_dib(im):
    """A 32-bit DIB icon entry: bottom-up BGRA rows, then the AND mask."""
    w, h = im.size
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b, a = im.getpixel((x, y))
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(w):
            if im.getpixel((x, y))[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    hdr = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0,
                      len(b"".join(rows)) + len(mask), 0, 0, 0, 0)
    return hdr + b"".join(rows) + bytes(mask)


def write_ico(path, images, png_entries):
    """ICO of the images in order; png_entries maps a size to the optimised
    PNG bytes of that entry."""
    entries = []
    for im in images:
        w, h = im.size
        entries.append((w, h, png_entries[w] if w in png_entries else ico_dib(im)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for w, h, data in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, _, data in entries:
        out += data
    with open(path, "wb") as f:
        f.write(out)


# ---------------------------------------------------------------- packing
# The pictures are most of the download. They are packed losslessly by
# Debian's optimisers, keeping colour type and bit depth (the windows and
# their checks rely on 8-bit RGBA, and RGB for the filled close states):
# optipng chooses the row filters, advdef's 7-Zip deflater packs the rows.
# Both are deterministic, so an unchanged drawing gives the same bytes.
# (advdef's zopfli mode saves another 2 % at three times the time.)
OPTIMISERS = [
    ["optipng", "-quiet", "-o2", "-nx", "-strip", "all", "--"],
    ["advdef", "-q", "-z", "-3"],
]


def optimise_pngs(paths):
    for cmd in OPTIMISERS:
        if shutil.which(cmd[0]) is None:
            sys.exit("make_art: %s is missing (scripts/setup.sh installs it)" % cmd[0])
    # Two shares side by side, the large pictures dealt out to both: the
    # packing is most of the script's time.
    ordered = sorted(paths, key=os.path.getsize, reverse=True)
    jobs = [subprocess.Popen(["/bin/sh", "-c", " && ".join(
        " ".join(shlex.quote(a) for a in cmd + part) for cmd in OPTIMISERS)])
        for part in (ordered[0::2], ordered[1::2]) if part]
    if any(job.wait() != 0 for job in jobs):
        sys.exit("make_art: packing the pictures failed")


# ---------------------------------------------------------------- catalogue
def build():
    imgs = {}
    fix = fix_page()
    imgs[144] = with_shadow(fix)
    imgs[145] = fix
    imgs[146] = checkbox_strip()
    closes = [close_glyph(None, CLOSE_GREY), close_glyph(RED_LIGHT, WHITE),
              close_glyph(RED_STRONG, WHITE), close_glyph(GREY_BLUE, WHITE)]
    for base in (147, 171, 189):
        for i, im in enumerate(closes):
            imgs[base + i] = im
    prompt = prompt_page()
    for i in (151, 152, 165, 166):
        imgs[i] = prompt
    for i, c in enumerate([(150, 158, 184), WHITE, (96, 150, 255), GREY_BLUE]):
        imgs[153 + i] = minimise_glyph(c)
    for i, im in enumerate(four_states((258, 44), "其 他", 16, 8)):
        imgs[157 + i] = im
    more = [
        pill_button((54, 21), (52, 56, 120), (38, 42, 98), "更多工具", 11, 4,
                    border=(110, 120, 190), shine=False),
        pill_button((54, 21), lighten(BLUE, 0.1), BLUE, "更多工具", 11, 4, shine=False),
        pill_button((54, 21), BLUE_PRESSED, darken(BLUE_PRESSED, 0.1), "更多工具", 11, 4, shine=False),
        pill_button((54, 21), GREY, darken(GREY, 0.06), "更多工具", 11, 4, text=GREY_TEXT, shine=False),
    ]
    for i, im in enumerate(more):
        imgs[161 + i] = im
    for base, label in ((179, "确 定"), (183, "是")):
        for i, im in enumerate(four_states((112, 38), label, 15, 6)):
            imgs[base + i] = im
    for base, label in ((167, "取 消"), (175, "否")):
        for i, im in enumerate(secondary_states((112, 38), label, 15, 6)):
            imgs[base + i] = im
    fb = feedback_page()
    imgs[187] = with_shadow(fb)
    imgs[188] = fb
    for i, im in enumerate(four_states((258, 44), "问题已解决，继续保持！", 16, 8)):
        imgs[193 + i] = im
    for i, im in enumerate(four_states((250, 48), "开始卸载", 20, 24, bold=True)):
        imgs[197 + i] = im
    unsolved = [
        pill_button((258, 44), None, None, "问题未解决，我要吐槽！", 16, 8,
                    border=(200, 210, 245), outline_only=True),
    ] + four_states((258, 44), "问题未解决，我要吐槽！", 16, 8)[1:]
    for i, im in enumerate(unsolved):
        imgs[201 + i] = im
    return imgs


def main(argv):
    """Writes into src/res, or into the folder given (used by the test that
    checks the committed files are what this script draws)."""
    out = argv[1] if len(argv) > 1 else RES
    png_dir = os.path.join(out, "png")
    icon_dir = os.path.join(out, "icon")
    os.makedirs(png_dir, exist_ok=True)
    os.makedirs(icon_dir, exist_ok=True)
    imgs = build()
    assert sorted(imgs) == list(range(144, 205)), sorted(imgs)
    icons = [icon_image(s) for s in ICON_SIZES]
    paths = []
    for i, im in imgs.items():
        paths.append(os.path.join(png_dir, "%d.png" % i))
        im.save(paths[-1], "PNG", optimize=True)
    with tempfile.TemporaryDirectory() as tmp:
        icon_pngs = {}
        for im in icons:
            if im.size[0] >= ICON_PNG_FROM:
                icon_pngs[im.size[0]] = os.path.join(tmp, "icon-%d.png" % im.size[0])
                im.save(icon_pngs[im.size[0]], "PNG", optimize=True)
        optimise_pngs(paths + sorted(icon_pngs.values()))
        png_entries = {}
        for size, path in icon_pngs.items():
            with open(path, "rb") as f:
                png_entries[size] = f.read()
    write_ico(os.path.join(icon_dir, "app.ico"), icons, png_entries)
    print("wrote %d images and the icon to %s" % (len(imgs), out))


if __name__ == "__main__":
    sys.exit(main(sys.argv))
