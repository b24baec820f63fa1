#!/usr/bin/env python3
"""Independent readers of the comparison histogram, as the Windows tool histogram_sample
draws it from the shipped tables (twelve feedstuffs, lysine, standardised digestibility):

- libwmf (wmf2svg, wmf2gd) renders the page drawn for the printer: with the drawing's scale
  taken from the grid lines, each bar and each whisker stands where the chart's geometry
  puts it, and the rendered bars have the bars' colour inside their edges and not beyond;
  the titles are texts, the labels pictures (which libwmf stretches over the plot: it
  does not turn a picture copied with a negative height the right way up, where Windows
  and Wine do, as the printed page shows);
- printing from the preview reaches a CUPS queue writing PDF files through PrintRun: one
  landscape page whose labels are pictures (the chart was drawn again for the printer, not
  the preview's page with its turned texts), with the bars in their colour.

Runs with a Python that has PIL; shares the harness of tests/print/outside_readers_test.py."""
import os
import re
import subprocess
import sys

from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "print"))
import outside_readers_test as readers  # noqa: E402

BAR = (255, 240, 120)


def read_geometry(path):
    with open(path, encoding="cp1252") as f:
        lines = [line.rstrip("\n") for line in f if line.strip()]
    chart = dict(zip("X Y W H P1 P2 NB".split(), map(int, lines[0].split()[1:])))
    bars = [(float(mean), float(sd), label) for _, mean, sd, label in (line.split(" ", 3) for line in lines[1:])]
    return chart, bars


def n2x(chart, n):
    return chart["X"] + n * chart["W"] / chart["NB"]


def p2y(chart, v):
    return chart["Y"] + (chart["P2"] - v) * chart["H"] / (chart["P2"] - chart["P1"])


def numbers(element, names):
    return [float(re.search(fr'\b{name}="([-\d.]+)"', element).group(1)) for name in names]


def svg_shapes(drawing):
    lines = [numbers(e, ("x1", "y1", "x2", "y2")) for e in re.findall(r"<line[^>]*>", drawing, re.S)]
    rects = [numbers(e, ("x", "y", "width", "height")) for e in re.findall(r"<rect[^>]*>", drawing, re.S)]
    return lines, rects


def linear(page_a, svg_a, page_b, svg_b):
    """The map from page to drawing coordinates through two known points."""
    slope = (svg_b - svg_a) / (page_b - page_a)
    return lambda v: svg_a + (v - page_a) * slope


def test_chart_page_renders_with_libwmf():
    page = os.path.join(readers.work, "chart.wmf")
    readers.run_tool("spool", readers.windows_path(page), tool="histogram_sample")
    chart, bars = read_geometry(page + ".txt")
    assert chart["NB"] == len(bars) == 12, f"{len(bars)} bars for {chart['NB']}"
    wrapped = os.path.join(readers.work, "placeable.wmf")
    with open(page, "rb") as f, open(wrapped, "wb") as out:
        out.write(readers.placeable(f.read(), 2970, 2100))

    svg = os.path.join(readers.work, "chart.svg")
    subprocess.run(["wmf2svg", "-o", svg, wrapped], check=True, timeout=60, capture_output=True)
    with open(svg, encoding="utf-8", errors="replace") as f:
        drawing = f.read()
    texts = [t.strip() for t in re.findall(r"<text[^>]*>\s*([^<]*)</text>", drawing)]
    readers.in_order(texts, ["Comparison of standardised digestibilities", "Lysine"])
    assert drawing.count("<image") == 12, "one picture per label expected"
    assert not any(label in texts for _, _, label in bars), "labels are pictures on the printed page"

    # The drawing's scale from the grid: its lines run from 1 mm left of the axis to the
    # right border, the lowest at the bottom of the scale and the highest at its top.
    lines, rects = svg_shapes(drawing)
    grid = [l for l in lines if l[1] == l[3] and abs(l[2] - l[0]) > 100]
    steps = (chart["P2"] - chart["P1"]) * 2 // (10 if chart["P2"] >= 10 else 1)
    assert len(grid) == steps + 1, f"{len(grid)} grid lines for {steps + 1}"
    x = linear(chart["X"] - 10, min(l[0] for l in grid), chart["X"] + chart["W"], max(l[2] for l in grid))
    first, last = grid[0][1], grid[-1][1]  # drawn from the bottom of the scale up
    y = linear(p2y(chart, chart["P1"]), first, p2y(chart, chart["P2"]), last)
    tolerance = 1.0
    for i, (mean, sd, label) in enumerate(bars, 1):
        slot = n2x(chart, i) - n2x(chart, i - 1)
        left, right = x(n2x(chart, i - 1) + slot * 0.25), x(n2x(chart, i - 1) + slot * 0.75)
        base, top = y(p2y(chart, chart["P1"])), y(p2y(chart, mean))
        found = [r for r in rects if abs(r[0] - left) < tolerance and abs(r[0] + r[2] - right) < tolerance
                 and abs(min(r[1], r[1] + r[3]) - min(base, top)) < tolerance
                 and abs(abs(r[3]) - abs(base - top)) < tolerance]
        assert found, f"{label}: no bar from {left:.1f} to {right:.1f}, {base:.1f} to {top:.1f}"
        mid = x(n2x(chart, i - 1) + slot / 2)
        dsd = p2y(chart, 0) - p2y(chart, sd)
        high, low = y(p2y(chart, mean) - dsd), y(p2y(chart, mean) + dsd)
        whisker = [l for l in lines if abs(l[0] - mid) < tolerance and abs(l[2] - mid) < tolerance
                   and abs(min(l[1], l[3]) - min(high, low)) < tolerance
                   and abs(max(l[1], l[3]) - max(high, low)) < tolerance]
        assert whisker, f"{label}: no whisker at {mid:.1f} from {high:.1f} to {low:.1f}"

    # The bars in their colour, rendered: inside each bar's edge, and not beyond it.
    png = os.path.join(readers.work, "chart.png")
    subprocess.run(["wmf2gd", "-t", "png", "--maxpect", "--maxwidth=2970", "--maxheight=2100", "-o", png, wrapped],
                   check=True, timeout=60, capture_output=True)
    image = Image.open(png).convert("RGB")
    width, height = numbers(re.search(r"<svg[^>]*>", drawing, re.S).group(0), ("width", "height"))

    def px(page_x):
        return round(x(page_x) * image.width / width)

    def py(page_y):
        return round(y(page_y) * image.height / height)

    for i, (mean, sd, label) in enumerate(bars, 1):
        slot = n2x(chart, i) - n2x(chart, i - 1)
        middle = (p2y(chart, chart["P1"]) + p2y(chart, mean)) / 2
        row = py(middle)
        inside = px(n2x(chart, i - 1) + slot * 0.3)
        beside = px(n2x(chart, i - 1) + slot * 0.15)
        assert image.getpixel((inside, row)) == BAR, f"{label}: {image.getpixel((inside, row))} inside the bar"
        assert image.getpixel((beside, row)) != BAR, f"{label}: the bar runs past its middle half"


def test_printing_from_the_preview_draws_the_chart_again_for_the_printer():
    folder = os.environ.get("LYSORA_PDF_DIR")
    assert folder and os.environ.get("CUPS_SERVER"), \
        "no CUPS PDF queue: run the Windows tests through scripts/test or start_display"
    before = set(readers.glob.glob(os.path.join(folder, "*.pdf")))
    readers.run_tool("print", tool="histogram_sample", timeout=240)
    pdf = readers.wait_for_pdf(folder, before)
    pages, width, height = readers.pdf_pages(pdf)
    assert pages == 1, f"{pages} pages printed"
    assert width > height, f"printed page is {width} x {height} points: not landscape"
    words = readers.pdf_words(pdf)
    readers.in_order(words, ["Comparison", "of", "standardised", "digestibilities", "Lysine", "%", "90"])
    assert "Wheat" not in words, "the labels were printed as text: the preview's page was printed"
    subprocess.run(["pdftoppm", "-r", "50", "-png", pdf, os.path.join(readers.work, "printed")], check=True,
                   timeout=60)
    printed = Image.open(os.path.join(readers.work, "printed-1.png")).convert("RGB")
    colours = printed.getcolors(maxcolors=1 << 20)
    yellow = sum(count for count, colour in colours if colour == BAR)
    assert yellow > 1000, f"{yellow} pixels in the bars' colour on the printed page"


def main():
    tests = [test_chart_page_renders_with_libwmf,
             test_printing_from_the_preview_draws_the_chart_again_for_the_printer]
    return readers.run(tests, "HistogramReaders", readers.parse_arguments(__doc__))


if __name__ == "__main__":
    sys.exit(main())
