#!/usr/bin/env python3
"""Writes the SVG sources of every skin image into res/art/, plus res/art/images.tsv.

The SVGs are generated so that one style (the constants below) and one template
per button family drive all pictures; edit here, then run tools/render-art.

images.tsv columns: id, short name, width, height, alpha (yes/no), frame margins
(left,top,right,bottom for shadow frames, "-" otherwise).
"""

import os
import sys

# ---- style -------------------------------------------------------------------
FONT = "WenQuanYi Zen Hei"
BLUE = "#2f7de1"          # primary face
BLUE_DARK = "#1d5fb8"     # panel header, title strips
NAVY = "#1a4680"          # feedback dialog ground
INK = "#2b3440"           # dark text
MUTED = "#7b8694"         # secondary text
LINE = "#e2e7ee"          # hairlines on white
STRIP = "#eef2f7"         # prompt title strip
WHITE = "#ffffff"
DISABLED_FACE = "#cbd2db"
DISABLED_INK = "#f4f6f9"
SHADOW = "#0b1d36"
RADIUS = 6

# How each state of a button differs: face colour mixed toward white (+) or
# black (-), and how far the content sinks when pressed.
STATES = {
    "normal": {"tint": 0.0, "dy": 0},
    "hover": {"tint": 0.16, "dy": 0},
    "pressed": {"tint": -0.16, "dy": 1},
    "disabled": {"tint": None, "dy": 0},
}
FOUR = ("normal", "hover", "pressed", "disabled")
THREE = ("normal", "hover", "pressed")


def mix(colour, amount):
    """Move a #rrggbb colour toward white (amount > 0) or black (amount < 0)."""
    rgb = [int(colour[i:i + 2], 16) for i in (1, 3, 5)]
    target = 255 if amount > 0 else 0
    rgb = [round(c + (target - c) * abs(amount)) for c in rgb]
    return "#%02x%02x%02x" % tuple(rgb)


def face_colour(base, state):
    tint = STATES[state]["tint"]
    if tint is None:
        return DISABLED_FACE
    return mix(base, tint) if tint else base


# ---- SVG pieces ---------------------------------------------------------------

def svg(width, height, body, defs=""):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
            'viewBox="0 0 %d %d">\n<defs>%s</defs>\n%s\n</svg>\n'
            % (width, height, width, height, defs, body))


def text(x, y, s, size, fill, anchor="middle", weight="normal", opacity=1.0):
    extra = ' fill-opacity="%g"' % opacity if opacity != 1.0 else ""
    return ('<text x="%g" y="%g" font-family="%s" font-size="%g" font-weight="%s" '
            'fill="%s" text-anchor="%s"%s>%s</text>'
            % (x, y, FONT, size, weight, fill, anchor, extra, s))


def ctext(cx, cy, s, size, fill, **kw):
    """Text whose CJK glyph box is centred on (cx, cy)."""
    return text(cx, cy + size * 0.36, s, size, fill, **kw)


def gradient(gid, top, bottom, span=None):
    """Vertical gradient over the shape, or over y span=(y1, y2) of the picture."""
    where = ('x1="0" y1="0" x2="0" y2="1"' if span is None else
             'gradientUnits="userSpaceOnUse" x1="0" y1="%g" x2="0" y2="%g"' % span)
    return ('<linearGradient id="%s" %s>'
            '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/>'
            '</linearGradient>' % (gid, where, top, bottom))


def blur(fid, sd, width, height):
    return ('<filter id="%s" filterUnits="userSpaceOnUse" x="0" y="0" width="%d" '
            'height="%d"><feGaussianBlur stdDeviation="%g"/></filter>'
            % (fid, width, height, sd))


def usb_symbol(cx, cy, size, colour, slash=False):
    """The generic USB trident, drawn in a 24-unit box centred on (cx, cy)."""
    k = size / 24.0
    body = (
        '<g transform="translate(%g %g) scale(%g)" fill="%s" stroke="%s" '
        'stroke-width="1.7" stroke-linecap="round" stroke-linejoin="round">'
        '<path d="M12 5.5 V19" fill="none"/>'
        '<path d="M12 1.5 L9.3 5.8 H14.7 Z" stroke-width="0.8"/>'
        '<circle cx="12" cy="20.2" r="2.3" stroke="none"/>'
        '<path d="M12 15 L6.5 11.6 V9.4" fill="none"/>'
        '<circle cx="6.5" cy="8.1" r="1.7" stroke="none"/>'
        '<path d="M12 12.6 L17.5 9.6 V7.6" fill="none"/>'
        '<rect x="16.1" y="4.6" width="2.8" height="2.8" stroke="none"/>'
        % (cx - 12 * k, cy - 12 * k, k, colour, colour))
    if slash:
        body += '<path d="M3 21 L21 3" fill="none" stroke-width="2"/>'
    return body + '</g>'


def check_mark(x, y, size, colour, width=2.0):
    """A tick in a size x size box at (x, y)."""
    k = size / 16.0
    return ('<path d="M%g %g L%g %g L%g %g" fill="none" stroke="%s" stroke-width="%g" '
            'stroke-linecap="round" stroke-linejoin="round"/>'
            % (x + 3.5 * k, y + 8.3 * k, x + 6.7 * k, y + 11.4 * k, x + 12.5 * k,
               y + 4.8 * k, colour, width))


def logo(x, y, size):
    """The tool's mark: a blue shield carrying a white USB plug, in a size box."""
    k = size / 64.0
    return (
        '<g transform="translate(%g %g) scale(%g)">'
        '<path d="M32 3 L55 11 V29 C55 44 45 55 32 61 C19 55 9 44 9 29 V11 Z" '
        'fill="url(#logoFace)" stroke="%s" stroke-width="2"/>'
        '<rect x="24" y="13" width="16" height="13" fill="%s"/>'
        '<rect x="27" y="16.5" width="3.5" height="3.5" fill="%s"/>'
        '<rect x="33.5" y="16.5" width="3.5" height="3.5" fill="%s"/>'
        '<rect x="20" y="26" width="24" height="17" rx="3" fill="%s"/>'
        '<rect x="29.5" y="43" width="5" height="9" fill="%s"/>'
        '</g>' % (x, y, k, WHITE, WHITE, BLUE_DARK, BLUE_DARK, WHITE, WHITE))


LOGO_DEFS = gradient("logoFace", mix(BLUE, 0.25), BLUE_DARK)


# ---- images -------------------------------------------------------------------

def shadow_frame(width, height, margins, inner_fill, sd):
    """An outer window image: opaque rectangle inside the margins, soft shadow
    around it that fades out before the image edge."""
    left, top, right, bottom = margins
    iw, ih = width - left - right, height - top - bottom
    # The shadow sits a little low, like light from above.
    drop = (bottom - top) / 2.0
    defs = blur("soft", sd, width, height)
    body = (
        '<rect x="%d" y="%g" width="%d" height="%d" rx="%d" fill="%s" '
        'fill-opacity="0.55" filter="url(#soft)"/>\n'
        '<rect x="%d" y="%d" width="%d" height="%d" fill="%s" '
        'shape-rendering="crispEdges"/>'
        % (left, top + drop, iw, ih, RADIUS, SHADOW,
           left, top, iw, ih, inner_fill))
    return svg(width, height, body, defs)


def flat_button(width, height, state, caption, base, size, ground=WHITE,
                radius=RADIUS, icon=None, text_colour=WHITE):
    """A filled rounded button on an opaque ground (the picture's corners show
    the ground it sits on)."""
    dy = STATES[state]["dy"]
    face = face_colour(base, state)
    ink = DISABLED_INK if state == "disabled" else text_colour
    defs = gradient("face", mix(face, 0.10), face)
    body = ['<rect width="%d" height="%d" fill="%s"/>' % (width, height, ground)]
    body.append('<rect x="0.5" y="0.5" width="%g" height="%g" rx="%g" fill="url(#face)"/>'
                % (width - 1, height - 1, radius))
    if state == "pressed":
        # A faint inner top edge makes the face read as pushed in.
        body.append('<rect x="1" y="1" width="%g" height="2" rx="1" fill="%s" '
                    'fill-opacity="0.35"/>' % (width - 2, mix(face, -0.4)))
    cx, cy = width / 2.0, height / 2.0 + dy
    if icon:
        # Icon then caption, centred together as one group.
        gap, isize = size * 0.45, size * 1.15
        tw = size * len(caption)
        left = cx - (isize + gap + tw) / 2.0
        body.append(icon(left + isize / 2.0, cy, isize, ink))
        body.append(ctext(left + isize + gap + tw / 2.0, cy, caption, size, ink))
    else:
        body.append(ctext(cx, cy, caption, size, ink))
    return svg(width, height, "\n".join(body), defs)


def glyph_button(width, height, state, draw, ground, mark, hover_fill, press_fill,
                 disabled_mark):
    """A title-bar style button: a mark on the ground, a tinted square on hover."""
    colour = disabled_mark if state == "disabled" else mark
    body = ['<rect width="%d" height="%d" fill="%s"/>' % (width, height, ground)]
    if state == "hover":
        body.append('<rect width="%d" height="%d" fill="%s"/>' % (width, height, hover_fill))
    elif state == "pressed":
        body.append('<rect width="%d" height="%d" fill="%s"/>' % (width, height, press_fill))
    body.append(draw(colour, STATES[state]["dy"]))
    return svg(width, height, "\n".join(body))


def cross(cx, cy, half, width):
    def draw(colour, dy):
        return ('<path d="M%g %g L%g %g M%g %g L%g %g" stroke="%s" stroke-width="%g" '
                'stroke-linecap="round" fill="none"/>'
                % (cx - half, cy - half + dy, cx + half, cy + half + dy,
                   cx + half, cy - half + dy, cx - half, cy + half + dy, colour, width))
    return draw


def pixel_cross(left, top, size):
    """A cross of whole pixels, for the 12 x 12 buttons where a smoothed
    diagonal would only blur."""
    cells = set()
    for i in range(size):
        cells.add((left + i, top + i))
        cells.add((left + size - 1 - i, top + i))

    def draw(colour, dy):
        return '<g shape-rendering="crispEdges" fill="%s">%s</g>' % (colour, "".join(
            '<rect x="%d" y="%d" width="1" height="1"/>' % (x, y + dy)
            for x, y in sorted(cells)))
    return draw


def dash(cx, cy, half, width):
    def draw(colour, dy):
        return ('<rect x="%g" y="%g" width="%g" height="%g" fill="%s" '
                'shape-rendering="crispEdges"/>'
                % (cx - half, cy - width / 2.0 + dy, 2 * half, width, colour))
    return draw


def more_tools(state):
    """A small text link picture on white, 58 x 18."""
    colours = {"normal": BLUE, "hover": mix(BLUE, -0.15), "pressed": mix(BLUE, -0.3),
               "disabled": DISABLED_FACE}
    colour, dy = colours[state], STATES[state]["dy"]
    body = ['<rect width="58" height="18" fill="%s"/>' % WHITE,
            ctext(29, 8.5 + dy, "更多工具", 12, colour)]
    if state in ("hover", "pressed"):
        body.append('<rect x="5" y="%d" width="48" height="1" fill="%s"/>' % (16 + dy, colour))
    return svg(58, 18, "\n".join(body))


def feedback_button(state, caption, primary):
    """A 266 x 60 button with a soft shadow; the face keeps 9 pixels clear on each
    side (the owner's hit insets), so the edge is shadow, not button."""
    dy = STATES[state]["dy"]
    x, y, w, h = 9, 9, 248, 42
    if primary:
        face = {"normal": WHITE, "hover": mix(BLUE, 0.85), "pressed": mix(BLUE, 0.7),
                "disabled": DISABLED_FACE}[state]
        opacity = 1
        ink = {"disabled": DISABLED_INK}.get(state, BLUE_DARK)
        stroke = "none"
    else:
        # The secondary action: an outline over the dialog's own ground (the
        # picture is see-through there), lightly filled on hover and press.
        face, opacity = {"normal": (WHITE, 0), "hover": (WHITE, 0.14),
                         "pressed": (SHADOW, 0.3), "disabled": (WHITE, 0)}[state]
        ink = DISABLED_FACE if state == "disabled" else WHITE
        stroke = ink
    defs = blur("soft", 2.2, 266, 60)
    body = []
    if primary and state not in ("pressed", "disabled"):
        body.append('<rect x="%d" y="%d" width="%d" height="%d" rx="%d" fill="%s" '
                    'fill-opacity="0.5" filter="url(#soft)"/>'
                    % (x, y + 2, w, h, h // 2, SHADOW))
    body.append('<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s" '
                'fill-opacity="%g" stroke="%s" stroke-width="1.5"/>'
                % (x + 0.75, y + 0.75 + dy, w - 1.5, h - 1.5, (h - 1.5) / 2, face,
                   opacity, stroke))
    body.append(ctext(133, 30 + dy, caption, 17, ink))
    return svg(266, 60, "\n".join(body), defs)


def checkbox_strip():
    """Three 16 x 16 cells: unchecked, checked, and a greyed checked box."""
    def box(x, fill, stroke):
        return ('<rect x="%g" y="1.5" width="13" height="13" rx="2.5" fill="%s" '
                'stroke="%s" stroke-width="1"/>' % (x + 1.5, fill, stroke))
    body = [box(0, WHITE, "#9aa5b4"),
            box(16, BLUE, mix(BLUE, -0.15)), check_mark(16, 0, 16, WHITE, 1.8),
            box(32, DISABLED_FACE, mix(DISABLED_FACE, -0.1)),
            check_mark(32, 0, 16, WHITE, 1.8)]
    return svg(48, 16, "\n".join(body))


def panel_background():
    """400 x 600. Fixed places from the panel layout: title strip 0-34 with the
    version line at (188,16)-(328,31) in white text and the two title buttons
    at x 340-394; Disable at (77,240), Enable at (77,300), both 246 x 47;
    more tools at (50,545)-(108,563); check box row on white from y 575."""
    defs = LOGO_DEFS + gradient("hero", BLUE_DARK, BLUE, span=(34, 220)) + (
        '<clipPath id="heroClip"><rect x="0" y="34" width="400" height="186"/></clipPath>')
    header = ('M0 0 H400 V196 C330 214 270 220 200 220 C130 220 70 214 0 196 Z')
    body = [
        '<rect width="400" height="600" fill="%s"/>' % WHITE,
        # Title strip: flat, so the close and minimise pictures match it.
        '<path d="%s" fill="url(#hero)"/>' % header,
        '<rect width="400" height="34" fill="%s"/>' % BLUE_DARK,
        '<g clip-path="url(#heroClip)" fill="%s" fill-opacity="0.06">'
        '<circle cx="360" cy="170" r="90"/><circle cx="30" cy="120" r="50"/>'
        '<circle cx="318" cy="80" r="28"/></g>' % WHITE,
        logo(12, 9, 20),
        text(38, 25, "Ombrel", 14, WHITE, anchor="start"),
        text(150, 27.5, "版本", 11, WHITE, anchor="start", opacity=0.7),
        logo(164, 52, 72),
        ctext(200, 150, "U盘开关", 22, WHITE),
        ctext(200, 180, "一键禁用或启用本机所有 U 盘", 13, WHITE, opacity=0.85),
        # Usage notes between the big buttons and the more-tools link.
        '<rect x="40" y="372" width="320" height="148" rx="%d" fill="#f6f8fb" '
        'stroke="%s"/>' % (RADIUS, LINE),
        text(60, 400, "使用说明", 13, INK, anchor="start"),
    ]
    notes = ("禁用后，本机所有 U 盘都将无法使用；",
             "需要 U 盘时，再次运行本工具点击“启用”；",
             "本工具只做开关，不能修复 U 盘故障；",
             "请以管理员身份运行。")
    for i, line in enumerate(notes):
        y = 426 + i * 24
        body.append('<circle cx="64" cy="%d" r="2" fill="%s"/>' % (y - 4, BLUE))
        body.append(text(74, y, line, 12, MUTED, anchor="start"))
    # A small grid mark in front of the more-tools link.
    for dx in (0, 7):
        for dy in (0, 7):
            body.append('<rect x="%d" y="%d" width="5" height="5" rx="1" fill="%s"/>'
                        % (32 + dx, 548 + dy, BLUE))
    body.append('<rect x="0" y="569" width="400" height="1" fill="%s"/>' % LINE)
    return svg(400, 600, "\n".join(body), defs)


def feedback_background():
    """400 x 468, dark blue; the question near the top. Buttons sit at y 154,
    234 and 314 (x 67-333); the close picture at (382,6) has the same ground."""
    defs = LOGO_DEFS + gradient("fbGround", NAVY, mix(NAVY, -0.25)) + (
        '<clipPath id="fbClip"><rect x="0" y="30" width="400" height="438"/></clipPath>')
    body = [
        '<rect width="400" height="468" fill="%s"/>' % NAVY,
        '<rect y="30" width="400" height="438" fill="url(#fbGround)"/>',
        '<g clip-path="url(#fbClip)" fill="%s" fill-opacity="0.05">'
        '<circle cx="380" cy="440" r="120"/><circle cx="10" cy="120" r="70"/></g>' % WHITE,
        text(12, 21, "Ombrel", 12, WHITE, anchor="start", opacity=0.7),
        logo(178, 38, 44),
        ctext(200, 112, "Tovric 的工具是否解决了您的问题？", 18, WHITE),
        '<rect x="150" y="132" width="100" height="2" rx="1" fill="%s" '
        'fill-opacity="0.35"/>' % WHITE,
        ctext(200, 420, "您的反馈将帮助我们把工具做得更好", 12, WHITE, opacity=0.6),
    ]
    return svg(400, 468, "\n".join(body), defs)


def prompt_background():
    """320 x 140, stretched onto a 326 x 146 client: grey title strip with the
    caption (the drag strip, 30 client pixels), white body for the text and the
    buttons (client y 107-131); the close picture sits at client (300,8)."""
    body = [
        '<rect width="320" height="140" fill="%s"/>' % WHITE,
        '<rect width="320" height="28" fill="%s"/>' % STRIP,
        '<rect y="28" width="320" height="1" fill="%s"/>' % LINE,
        '<rect x="10" y="9" width="3" height="11" rx="1" fill="%s"/>' % BLUE,
        ctext(33, 14.5, "提示", 13, INK),
    ]
    return svg(320, 140, "\n".join(body))


def progress_background():
    """204 x 104; the white progress text is drawn at (10,32)-(194,72)."""
    defs = gradient("pg", mix(BLUE, 0.08), BLUE_DARK)
    body = [
        '<rect width="204" height="104" fill="url(#pg)"/>',
        usb_symbol(102, 18, 18, WHITE),
    ]
    return svg(204, 104, "\n".join(body), defs)


def logo_image(size):
    return svg(size, size, logo(0, 0, size), LOGO_DEFS)


# ---- the table of images -------------------------------------------------------

def catalogue():
    """(id, name, width, height, alpha, margins, svg) for every image."""
    out = []

    def add(rid, name, w, h, alpha, body, margins=None):
        out.append((rid, name, w, h, alpha, margins, body))

    def family(first, name, states, w, h, alpha, make):
        for i, state in enumerate(states):
            add(first + i, "%s_%s" % (name, state), w, h, alpha, make(state))

    add(138, "main_frame", 410, 611, True,
        shadow_frame(410, 611, (5, 4, 5, 7), WHITE, 1.6), (5, 4, 5, 7))
    add(139, "panel", 400, 600, False, panel_background())
    add(140, "checkbox", 48, 16, True, checkbox_strip())
    # Title-bar buttons of the panel sit on its flat title strip.
    tb = dict(ground=BLUE_DARK, mark=WHITE, hover_fill=mix(BLUE_DARK, 0.18),
              press_fill=mix(BLUE_DARK, -0.2), disabled_mark=mix(BLUE_DARK, 0.4))
    family(141, "close", FOUR, 26, 34, False,
           lambda s: glyph_button(26, 34, s, cross(13, 18, 4.5, 1.6), **tb))
    usb_off = lambda cx, cy, size, c: usb_symbol(cx, cy, size, c, slash=True)
    family(145, "disable", FOUR, 246, 47, False,
           lambda s: flat_button(246, 47, s, "禁用", BLUE, 20, icon=usb_off))
    family(149, "enable", FOUR, 246, 47, False,
           lambda s: flat_button(246, 47, s, "启用", BLUE, 20, icon=usb_symbol))
    add(153, "progress_frame", 232, 132, True,
        shadow_frame(232, 132, (14, 12, 14, 16), BLUE_DARK, 4.0), (14, 12, 14, 16))
    add(154, "progress", 204, 104, True, progress_background())
    family(155, "minimise", FOUR, 26, 34, False,
           lambda s: glyph_button(26, 34, s, dash(13, 18, 5, 1.6), **tb))
    family(159, "more_solutions", FOUR, 266, 60, True,
           lambda s: feedback_button(s, "更多方案", primary=False))
    family(163, "more_tools", FOUR, 58, 18, False, more_tools)
    add(167, "prompt_frame", 330, 150, True,
        shadow_frame(330, 150, (5, 3, 5, 7), WHITE, 1.6), (5, 3, 5, 7))
    add(168, "prompt", 320, 140, False, prompt_background())
    cancel_face = "#7a90ad"  # a quieter slate blue for the second choice
    family(169, "cancel", THREE, 55, 24, False,
           lambda s: flat_button(55, 24, s, "取消", cancel_face, 13, radius=4))
    small = dict(ground=STRIP, mark=MUTED, hover_fill=mix(STRIP, -0.06),
                 press_fill=mix(STRIP, -0.12), disabled_mark=DISABLED_FACE)
    family(172, "prompt_close", THREE, 12, 12, False,
           lambda s: glyph_button(12, 12, s, pixel_cross(3, 3, 6),
                                  **dict(small, mark=BLUE if s != "normal" else MUTED)))
    family(175, "no", THREE, 55, 24, False,
           lambda s: flat_button(55, 24, s, "否", cancel_face, 13, radius=4))
    family(178, "confirm", THREE, 55, 24, False,
           lambda s: flat_button(55, 24, s, "确认", BLUE, 13, radius=4))
    family(181, "yes", THREE, 55, 24, False,
           lambda s: flat_button(55, 24, s, "是", BLUE, 13, radius=4))
    add(184, "feedback_frame", 410, 479, True,
        shadow_frame(410, 479, (5, 4, 5, 7), NAVY, 1.6), (5, 4, 5, 7))
    add(185, "feedback", 400, 468, True, feedback_background())
    fb = dict(ground=NAVY, mark=WHITE, hover_fill=mix(NAVY, 0.2),
              press_fill=mix(NAVY, -0.25), disabled_mark=mix(NAVY, 0.4))
    family(186, "feedback_close", FOUR, 12, 12, False,
           lambda s: glyph_button(12, 12, s, pixel_cross(3, 3, 6), **fb))
    family(191, "solved", FOUR, 266, 60, True,
           lambda s: feedback_button(s, "问题已解决，继续保持！", primary=True))
    family(196, "unsolved", FOUR, 266, 60, True,
           lambda s: feedback_button(s, "问题未解决，我要吐槽！", primary=True))
    return out


# Pictures that are not PNG resources: the 32 x 32 bitmap 190 and the icon sizes.
EXTRAS = [("190_logo", 32), ("icon_16", 16), ("icon_32", 32), ("icon_48", 48)]


def main(root):
    art = os.path.join(root, "res", "art")
    os.makedirs(art, exist_ok=True)
    rows = []
    for rid, name, w, h, alpha, margins, body in catalogue():
        with open(os.path.join(art, "%d_%s.svg" % (rid, name)), "w", encoding="utf-8") as f:
            f.write(body)
        rows.append("%d\t%s\t%d\t%d\t%s\t%s" % (
            rid, name, w, h, "yes" if alpha else "no",
            ",".join(map(str, margins)) if margins else "-"))
    for name, size in EXTRAS:
        with open(os.path.join(art, name + ".svg"), "w", encoding="utf-8") as f:
            f.write(logo_image(size))
    with open(os.path.join(art, "images.tsv"), "w", encoding="utf-8") as f:
        f.write("\n".join(rows) + "\n")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else
         os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
