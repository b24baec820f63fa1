#!/usr/bin/python3
"""Draws every picture the program carries: the button and background bitmaps that go into
the resource script, the program icon, and the four BMP files shipped beside the program
(intro, menu and the two title panels). All are uncompressed BMPs of 8 bits per pixel, so
that the program's own reader takes the shipped files.

Each picture is sized to the place that shows it. Button faces are drawn by the GUI engine
at (2, 2) inside the button (one pixel further when pressed), so a button W x H takes a
picture of at most (W - 5) x (H - 5); buttons without a given height are 22 high.

Usage: make_pictures.py RESOURCE_DIR SHIPPED_DIR [CONTACT_SHEET.png]
Writes the bitmaps, the icon and the resource script lysora.rc naming them into
RESOURCE_DIR, and the four shipped files into SHIPPED_DIR.
"""

import sys
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

FONTS = Path("/usr/share/fonts/truetype/dejavu")

# The program's colours: the accent amber of the comparison dialogs, a warm cream, dark ink.
FACE = (240, 240, 240)  # the usual button-face grey
INK = (34, 34, 34)
AMBER = (255, 184, 0)
AMBER_DARK = (196, 128, 0)
CREAM = (255, 247, 222)
LIGHT = (255, 240, 120)
WHITE = (255, 255, 255)
GREEN = (46, 125, 50)
GREEN_LIGHT = (165, 214, 167)
RED = (198, 40, 40)
BLUE = (30, 90, 170)
NAVY = (28, 52, 110)
PINK = (244, 170, 178)
PINK_DARK = (196, 96, 112)
GREY = (150, 150, 150)
BROWN = (120, 78, 40)


def font(size, bold=True, condensed=True, serif=False):
    family = "DejaVuSerif" if serif else "DejaVuSans"
    if condensed:
        family += "Condensed"
    return ImageFont.truetype(str(FONTS / f"{family}{'-Bold' if bold else ''}.ttf"), size)


def fitting_font(text, width, size=11, **style):
    """The largest font of at most size whose rendering of text fits in width."""
    while size > 7 and font(size, **style).getlength(text) > width:
        size -= 1
    return font(size, **style)


# ---------------------------------------------------------------------------------------
# 16 x 16 pictograms, drawn pixel by pixel on the button face.

def icon_canvas():
    image = Image.new("RGB", (16, 16), FACE)
    return image, ImageDraw.Draw(image)


def disc(image, fill, outline=None):
    """A smooth disc filling the 16 x 16 pictogram, drawn eight times larger and reduced."""
    big = Image.new("RGB", (128, 128), FACE)
    d = ImageDraw.Draw(big)
    d.ellipse([0, 0, 127, 127], fill=outline or fill)
    if outline:
        d.ellipse([8, 8, 119, 119], fill=fill)
    image.paste(big.resize((16, 16), Image.LANCZOS))


def triangle(draw, tip_x, direction, colour, size=6):
    """A solid triangle 2 * size high, centred on rows 7-8, its tip at column tip_x."""
    for step in range(size):
        x = tip_x + direction * step
        draw.line([(x, 7 - step), (x, 8 + step)], fill=colour)


def icon_ok():
    image, d = icon_canvas()
    d.line([(2, 8), (6, 12), (13, 3)], fill=GREEN, width=3, joint="curve")
    return image


def icon_cancel():
    image, d = icon_canvas()
    d.line([(3, 3), (12, 12)], fill=RED, width=3)
    d.line([(12, 3), (3, 12)], fill=RED, width=3)
    return image


def icon_help():
    image, d = icon_canvas()
    disc(image, BLUE)
    d.text((8, 8), "?", font=font(12, condensed=False), fill=WHITE, anchor="mm")
    return image


def icon_menu():
    image, d = icon_canvas()
    disc(image, AMBER, AMBER_DARK)
    triangle(d, 11, -1, INK, size=5)
    return image


def icon_first():
    image, d = icon_canvas()
    d.rectangle([3, 2, 4, 13], fill=NAVY)
    triangle(d, 6, +1, NAVY)
    return image


def icon_previous():
    image, d = icon_canvas()
    triangle(d, 5, +1, NAVY)
    return image


def icon_next():
    image, d = icon_canvas()
    triangle(d, 10, -1, NAVY)
    return image


def icon_last():
    image, d = icon_canvas()
    triangle(d, 9, -1, NAVY)
    d.rectangle([11, 2, 12, 13], fill=NAVY)
    return image


def icon_print():
    image, d = icon_canvas()
    d.rectangle([4, 1, 11, 6], fill=WHITE, outline=INK)
    d.rectangle([1, 6, 14, 11], fill=GREY, outline=INK)
    d.point((12, 8), fill=GREEN_LIGHT)
    d.rectangle([4, 9, 11, 14], fill=WHITE, outline=INK)
    d.line([(6, 11), (9, 11)], fill=INK)
    d.line([(6, 13), (9, 13)], fill=INK)
    return image


def icon_graph():
    image, d = icon_canvas()
    d.line([(1, 1), (1, 14), (14, 14)], fill=INK)
    d.rectangle([3, 8, 5, 13], fill=AMBER, outline=AMBER_DARK)
    d.rectangle([7, 3, 9, 13], fill=GREEN, outline=GREEN)
    d.rectangle([11, 6, 13, 13], fill=BLUE, outline=BLUE)
    return image


def page(d, x0=1, y0=1, x1=10, y1=14):
    """A white sheet with a folded corner and a few lines of text."""
    d.polygon([(x0, y0), (x1 - 3, y0), (x1, y0 + 3), (x1, y1), (x0, y1)], fill=WHITE, outline=INK)
    d.line([(x1 - 3, y0), (x1 - 3, y0 + 3), (x1, y0 + 3)], fill=INK)
    for y in range(y0 + 5, y1 - 1, 2):
        d.line([(x0 + 2, y), (x1 - 2, y)], fill=GREY)


def icon_export():
    image, d = icon_canvas()
    page(d)
    d.rectangle([7, 7, 11, 9], fill=GREEN)
    triangle(d, 15, -1, GREEN, size=4)
    return image


def icon_back():
    image, d = icon_canvas()
    triangle(d, 1, +1, BLUE, size=6)
    d.rectangle([7, 5, 12, 10], fill=BLUE)
    d.rectangle([11, 5, 14, 14], fill=BLUE)
    return image


def icon_quit():
    image, d = icon_canvas()
    d.rectangle([1, 1, 8, 14], fill=WHITE, outline=INK)
    d.polygon([(1, 1), (5, 3), (5, 15), (1, 14)], fill=BROWN, outline=INK)
    d.point((4, 8), fill=LIGHT)
    d.rectangle([7, 7, 11, 8], fill=RED)
    triangle(d, 15, -1, RED, size=4)
    return image


def icon_cross_table():
    image, d = icon_canvas()
    d.rectangle([0, 1, 15, 14], fill=WHITE, outline=INK)
    d.rectangle([1, 2, 14, 4], fill=AMBER)
    d.rectangle([1, 5, 4, 13], fill=LIGHT)
    for x in (5, 10):
        d.line([(x, 1), (x, 14)], fill=INK)
    for y in (5, 8, 11):
        d.line([(0, y), (15, y)], fill=INK)
    return image


def icon_modify():
    image, d = icon_canvas()
    for row, y in enumerate((2, 6, 10)):
        d.rectangle([0, y, 3, y + 3], fill=WHITE, outline=INK)
        if row != 1:
            d.line([(1, y + 1), (2, y + 2)], fill=GREEN)
        d.line([(5, y + 2), (8, y + 2)], fill=GREY)
    d.line([(14, 3), (8, 9)], fill=AMBER_DARK, width=3)
    d.line([(15, 2), (14, 1)], fill=PINK_DARK, width=2)
    d.polygon([(7, 9), (9, 11), (6, 12)], fill=INK)
    return image


# ---------------------------------------------------------------------------------------
# Button faces: a pictogram, a caption, or both, on a canvas of the button's size less 5.

def face(size, icon=None, text=None, colour=INK):
    width, height = size
    image = Image.new("RGB", size, FACE)
    x = 0
    if icon is not None:
        image.paste(icon, (1 if text else (width - 16) // 2, (height - 16) // 2))
        x = 20
    if text:
        d = ImageDraw.Draw(image)
        f = fitting_font(text, width - x - 1)
        if icon is None:
            d.text((width // 2, height // 2), text, font=f, fill=colour, anchor="mm")
        else:
            d.text((x, height // 2), text, font=f, fill=colour, anchor="lm")
    return image


def flag_face(flag, text):
    image = Image.new("RGB", (92, 24), FACE)
    image.paste(flag, (2, 4))
    d = ImageDraw.Draw(image)
    d.text((31, 12), text, font=font(12), fill=INK, anchor="lm")
    return image


def flag_france():
    image = Image.new("RGB", (24, 16), WHITE)
    d = ImageDraw.Draw(image)
    d.rectangle([0, 0, 7, 15], fill=(0, 85, 164))
    d.rectangle([16, 0, 23, 15], fill=(239, 65, 53))
    d.rectangle([0, 0, 23, 15], outline=GREY)
    return image


def flag_united_kingdom():
    scale = 8
    w, h = 24 * scale, 16 * scale
    image = Image.new("RGB", (w, h), (1, 33, 105))
    d = ImageDraw.Draw(image)
    red = (200, 16, 46)
    d.line([(0, 0), (w, h)], fill=WHITE, width=3 * scale)
    d.line([(0, h), (w, 0)], fill=WHITE, width=3 * scale)
    d.line([(0, 0), (w, h)], fill=red, width=scale)
    d.line([(0, h), (w, 0)], fill=red, width=scale)
    d.rectangle([w // 2 - 2.5 * scale, 0, w // 2 + 2.5 * scale, h], fill=WHITE)
    d.rectangle([0, h // 2 - 2.5 * scale, w, h // 2 + 2.5 * scale], fill=WHITE)
    d.rectangle([w // 2 - 1.5 * scale, 0, w // 2 + 1.5 * scale, h], fill=red)
    d.rectangle([0, h // 2 - 1.5 * scale, w, h // 2 + 1.5 * scale], fill=red)
    image = image.resize((24, 16), Image.LANCZOS)
    ImageDraw.Draw(image).rectangle([0, 0, 23, 15], outline=GREY)
    return image


# ---------------------------------------------------------------------------------------
# Large pictures, drawn three times larger and reduced for smooth edges.

SCALE = 3


def large(size, colour):
    image = Image.new("RGB", (size[0] * SCALE, size[1] * SCALE), colour)
    return image, ImageDraw.Draw(image)


def reduce(image):
    return image.resize((image.width // SCALE, image.height // SCALE), Image.LANCZOS)


def box(x0, y0, x1, y1):
    return [x0 * SCALE, y0 * SCALE, x1 * SCALE, y1 * SCALE]


def pig(d, x, y, size):
    """A friendly pig in profile facing right; (x, y) is the top-left of a size-wide box."""
    u = size / 100
    def b(x0, y0, x1, y1):
        return box(x + x0 * u, y + y0 * u, x + x1 * u, y + y1 * u)
    outline = {"fill": PINK, "outline": PINK_DARK, "width": max(1, int(2 * u * SCALE))}
    d.ellipse(b(14, 74, 90, 84), fill=AMBER)  # its shadow on the ground
    for leg_x in (18, 32, 58, 72):
        d.rounded_rectangle(b(leg_x, 50, leg_x + 10, 78), radius=3 * u * SCALE, **outline)
    d.arc(b(2, 22, 14, 34), 200, 90, fill=PINK_DARK, width=max(1, int(3 * u * SCALE)))
    d.ellipse(b(8, 14, 88, 64), **outline)
    d.ellipse(b(62, 8, 100, 50), **outline)
    d.polygon([(p[0] * SCALE, p[1] * SCALE) for p in
               ((x + 70 * u, y + 14 * u), (x + 74 * u, y - 2 * u), (x + 84 * u, y + 12 * u))], **outline)
    d.ellipse(b(88, 24, 106, 42), **outline)
    d.ellipse(b(94, 30, 97, 35), fill=PINK_DARK)
    d.ellipse(b(100, 30, 103, 35), fill=PINK_DARK)
    d.ellipse(b(78, 20, 83, 26), fill=INK)


def wheat(d, x, y, height, colour=AMBER_DARK):
    """An ear of wheat on its stem: (x, y) is the top of the ear."""
    u = height / 100
    d.line([(x * SCALE, (y + 30 * u) * SCALE), (x * SCALE, (y + height) * SCALE)], fill=colour, width=int(2 * SCALE))
    for i in range(6):
        cy = y + 8 * u + i * 9 * u
        for side in (-1, 1):
            cx = x + side * 5 * u
            d.ellipse(box(cx - 4 * u, cy - 7 * u, cx + 4 * u, cy + 7 * u), fill=AMBER, outline=colour)
    d.ellipse(box(x - 4 * u, y - 4 * u, x + 4 * u, y + 10 * u), fill=AMBER, outline=colour)


def wordmark(d, x, y, size, colour=INK):
    d.text((x * SCALE, y * SCALE), "Lysora", font=font(size * SCALE, condensed=False, serif=True), fill=colour)


def intro():
    """accueil.bmp: the whole intro window (538 x 323); the title panel covers (282, 40)
    onwards and the language buttons stand at (380, 228) and (380, 268)."""
    image, d = large((538, 323), CREAM)
    d.rectangle(box(0, 0, 270, 323), fill=AMBER)
    d.pieslice(box(-150, 120, 270, 540), 270, 360, fill=LIGHT)
    d.rectangle(box(-150, 330, 270, 540), fill=LIGHT)
    for x, h in ((26, 130), (48, 165), (226, 140), (246, 110)):
        wheat(d, x, 318 - h, h)
    for i, height in enumerate((70, 52, 88, 40, 62, 76, 48)):
        x = 30 + i * 30
        d.rectangle(box(x, 130 - height, x + 18, 130), fill=LIGHT if i % 2 else WHITE, outline=AMBER_DARK,
                    width=SCALE)
        d.line([((x + 9) * SCALE, (122 - height) * SCALE), ((x + 9) * SCALE, (138 - height) * SCALE)],
               fill=INK, width=SCALE)
        for y in (122 - height, 138 - height):
            d.line([((x + 5) * SCALE, y * SCALE), ((x + 13) * SCALE, y * SCALE)], fill=INK, width=SCALE)
    d.line(box(22, 131, 250, 131), fill=INK, width=SCALE)
    pig(d, 62, 150, 150)
    d.rectangle(box(0, 318, 538, 323), fill=AMBER_DARK)
    return reduce(image)


def title(lines):
    """titre.bmp and title.bmp: the title panel of the intro (240 x 178 at (282, 40))."""
    image, d = large((240, 178), WHITE)
    d.rectangle(box(0, 0, 239, 177), outline=AMBER_DARK, width=SCALE)
    d.rectangle(box(0, 0, 240, 6), fill=AMBER)
    d.text((120 * SCALE, 38 * SCALE), "Lysora", font=font(34 * SCALE, condensed=False, serif=True),
           fill=INK, anchor="mm")
    heading, subject, warning = lines
    y = 70
    for text, size, colour in ((heading, 13, INK), (subject, 13, INK)):
        d.text((120 * SCALE, y * SCALE), text, font=font(size * SCALE), fill=colour, anchor="mm")
        y += 18
    d.rectangle(box(14, 118, 226, 166), fill=LIGHT)
    y = 130
    for text in warning:
        d.text((120 * SCALE, y * SCALE), text, font=font(11 * SCALE, bold=False), fill=INK, anchor="mm")
        y += 15
    return reduce(image)


def menu():
    """menu.bmp: the whole menu window (538 x 342); the menu buttons and their white labels
    stand from x 280, y 50 to 235, the quit and help buttons at y 280."""
    image, d = large((538, 342), WHITE)
    d.rectangle(box(0, 0, 265, 342), fill=AMBER)
    d.pieslice(box(-150, 150, 265, 565), 270, 360, fill=LIGHT)
    wheat(d, 34, 200, 120)
    wheat(d, 226, 210, 110)
    pig(d, 70, 190, 120)
    wordmark(d, 24, 18, 46)
    d.rectangle(box(265, 0, 538, 8), fill=AMBER)
    d.rectangle(box(265, 262, 538, 342), fill=CREAM)
    return reduce(image)


def background(size, colour, banner_at):
    """A dialog background: plain colour where the controls stand, the program's name and a
    small ear of wheat in the free area banner_at = (x, y)."""
    image, d = large(size, colour)
    x, y = banner_at
    wheat(d, x + 8, y + 2, 34, colour=AMBER_DARK if colour != AMBER else INK)
    wordmark(d, x + 22, y + 4, 24, INK)
    return reduce(image)


# ---------------------------------------------------------------------------------------

SQUARE = (17, 17)      # 22 x 22 buttons: help, menu items, graph
NAVIGATION = (20, 18)  # 25 x 23 navigation buttons
NARROW = (20, 17)      # the 25-wide print button


def pictures():
    """Every resource bitmap by name, then the files shipped beside the program."""
    resources = {
        "AIDE": face(SQUARE, icon_help()),
        "MENU": face(SQUARE, icon_menu()),
        "GRAPHE": face(SQUARE, icon_graph()),
        "IMPRIMER": face(NARROW, icon_print()),
        "PREMIER": face(NAVIGATION, icon_first()),
        "PRECEDENT": face(NAVIGATION, icon_previous()),
        "SUIVANT": face(NAVIGATION, icon_next()),
        "DERNIER": face(NAVIGATION, icon_last()),
        # The framework's faces draw OK and CANCEL with their caption beside them.
        "OK": icon_ok(),
        "CANCEL": icon_cancel(),
        "ANNULER": icon_cancel(),
        "FRANCAIS": flag_face(flag_france(), "Français"),
        "ENGLISH": flag_face(flag_united_kingdom(), "English"),
        "QUITTER": face((95, 17), icon_quit(), "Quitter"),
        "QUIT": face((95, 17), icon_quit(), "Quit"),
        "EXPORTER": face((95, 17), icon_export(), "Exporter"),
        "EXPORT": face((95, 17), icon_export(), "Export"),
        "RETOUR": face((115, 17), icon_back(), "Retour au menu"),
        "BACK": face((115, 17), icon_back(), "Back to menu"),
        "MODIFRA": face((145, 17), icon_modify(), "Modifier la sélection"),
        "MODIENG": face((145, 17), icon_modify(), "Modify the selection"),
        "CROISE": face((160, 17), icon_cross_table(), "Créer le tableau croisé"),
        "CROSS": face((160, 17), icon_cross_table(), "Create a cross table"),
        "TOUT": face((33, 17), text="Tout", colour=GREEN),
        "ALL": face((33, 17), text="All", colour=GREEN),
        "RIEN": face((33, 17), text="Rien", colour=RED),
        "NONE": face((33, 17), text="None", colour=RED),
        "AAE": face((33, 17), text="AAE"),
        "EAA": face((33, 17), text="EAA"),
        "AANE": face((40, 17), text="AANE"),
        "NEAA": face((40, 17), text="NEAA"),
        "AP": face((23, 17), text="AP"),
        "PA": face((23, 17), text="PA"),
        # Dialog backgrounds, at the dialogs' sizes, drawn from the top-left corner.
        "FICHE": background((745, 495), CREAM, (560, 6)),
        "CHOIX": background((710, 534), AMBER, (520, 8)),
        "COMP": background((785, 534), AMBER, (600, 6)),
    }
    shipped = {
        "accueil.bmp": intro(),
        "menu.bmp": menu(),
        "titre.bmp": title(("Acides aminés et digestibilité", "iléale des aliments du porc",
                            ("Valeurs d'exemple, à titre d'illustration :", "ne pas utiliser pour formuler."))),
        "title.bmp": title(("Amino acids and ileal digestibility", "of pig feedstuffs",
                            ("Illustrative sample values,", "not for use in feed formulation."))),
    }
    return resources, shipped


def program_icon():
    """ICONE: a pig's face on the accent amber, 32 and 16 pixels."""
    image = Image.new("RGBA", (96, 96), (0, 0, 0, 0))
    d = ImageDraw.Draw(image)
    d.rounded_rectangle([0, 0, 95, 95], radius=18, fill=AMBER)
    d.polygon([(18, 30), (22, 6), (40, 20)], fill=PINK, outline=PINK_DARK)
    d.polygon([(78, 30), (74, 6), (56, 20)], fill=PINK, outline=PINK_DARK)
    d.ellipse([14, 14, 82, 84], fill=PINK, outline=PINK_DARK, width=3)
    d.ellipse([30, 46, 66, 72], fill=(250, 200, 206), outline=PINK_DARK, width=3)
    d.ellipse([38, 54, 44, 64], fill=PINK_DARK)
    d.ellipse([52, 54, 58, 64], fill=PINK_DARK)
    d.ellipse([30, 32, 37, 40], fill=INK)
    d.ellipse([59, 32, 66, 40], fill=INK)
    return image


def save_bmp(image, path):
    image.convert("RGB").quantize(colors=256, method=Image.Quantize.MEDIANCUT).save(path, "BMP")


def contact_sheet(named, path):
    """All pictures on one sheet, small ones also shown four times larger."""
    label = font(11, condensed=False, bold=False)
    cells = []
    for name, image in named:
        zoom = 4 if image.width <= 40 else (2 if image.width <= 170 else 1)
        big = image.resize((image.width * zoom, image.height * zoom), Image.NEAREST)
        cells.append((name, big))
    width = 1600
    x = y = 10
    row_height = 0
    placed = []
    for name, image in cells:
        if x + image.width > width - 10:
            x, y = 10, y + row_height + 30
            row_height = 0
        placed.append((name, image, x, y))
        x += max(image.width, 90) + 20
        row_height = max(row_height, image.height)
    sheet = Image.new("RGB", (width, y + row_height + 40), (200, 200, 200))
    d = ImageDraw.Draw(sheet)
    for name, image, x, y in placed:
        d.text((x, y), name, font=label, fill=INK)
        sheet.paste(image, (x, y + 16))
    sheet.save(path)


def main():
    resource_dir, shipped_dir = Path(sys.argv[1]), Path(sys.argv[2])
    resource_dir.mkdir(parents=True, exist_ok=True)
    shipped_dir.mkdir(parents=True, exist_ok=True)
    resources, shipped = pictures()
    # Names are quoted (MENU is also a keyword of the resource language); the language-neutral
    # LANGUAGE line before each keeps the compiler from joining a file name to the next name.
    script = ["// Drawn by make_pictures.py: the program's bitmaps and its icon.\n"]
    for name, image in resources.items():
        path = resource_dir / f"{name.lower()}.bmp"
        save_bmp(image, path)
        script.append(f'LANGUAGE 0, 0\n"{name}" BITMAP "{path.resolve().as_posix()}"\n')
    for name, image in shipped.items():
        save_bmp(image, shipped_dir / name)
    icon = program_icon()
    icon.save(resource_dir / "icone.ico", sizes=[(32, 32), (16, 16)], bitmap_format="bmp")
    script.append(f'LANGUAGE 0, 0\n"ICONE" ICON "{(resource_dir / "icone.ico").resolve().as_posix()}"\n')
    (resource_dir / "lysora.rc").write_text("".join(script), encoding="ascii")
    if len(sys.argv) > 3:
        named = list(resources.items()) + list(shipped.items()) + [("ICONE", icon.resize((32, 32), Image.LANCZOS))]
        named += [("intro as shown (FR)", intro_preview(shipped["accueil.bmp"], shipped["titre.bmp"], resources)),
                  ("menu as shown (EN)", menu_preview(shipped["menu.bmp"], resources))]
        contact_sheet([(n, i.convert("RGB") if i.mode != "RGBA" else _on_grey(i)) for n, i in named], sys.argv[3])


def button(image, size):
    """A bitmap button as the GUI engine paints it: raised frame, picture at (2, 2)."""
    w, h = size
    out = Image.new("RGB", size, FACE)
    d = ImageDraw.Draw(out)
    d.line([(0, h - 1), (0, 0), (w - 2, 0)], fill=WHITE)
    d.line([(w - 1, 0), (w - 1, h - 1), (0, h - 1)], fill=INK)
    d.line([(w - 2, 1), (w - 2, h - 2), (1, h - 2)], fill=GREY)
    out.paste(image, (2, 2))
    return out


def intro_preview(accueil, titre, resources):
    out = accueil.copy()
    out.paste(titre, (282, 40))
    out.paste(button(resources["FRANCAIS"], (100, 30)), (380, 228))
    out.paste(button(resources["ENGLISH"], (100, 30)), (380, 268))
    return out


def menu_preview(menu_picture, resources):
    out = menu_picture.copy()
    d = ImageDraw.Draw(out)
    items = ("Help", "Concepts and methodologies", "Feedstuffs", "Comparison of feedstuffs",
             "Print the whole table", "Authors", "Legal notice")
    for k, text in enumerate(items):
        y = 50 + 27 * k
        out.paste(button(resources["MENU"], (22, 22)), (280, y))
        d.text((310, y + 4), text, font=font(11, condensed=False), fill=(0, 0, 0))
    out.paste(button(resources["QUIT"], (100, 22)), (380, 280))
    out.paste(button(resources["AIDE"], (22, 22)), (490, 280))
    return out


def _on_grey(image):
    back = Image.new("RGB", image.size, (200, 200, 200))
    back.paste(image, mask=image.split()[3])
    return back


if __name__ == "__main__":
    main()
