#!/usr/bin/env python3
"""Independent readers of what Lysora's printing writes, run on the sample comparison table
that the Windows tool print_sample lays out (two landscape pages):

- libwmf (wmf2svg) renders every spooled page, wrapped as a placeable metafile, and finds
  the laid-out texts in their order;
- LibreOffice Writer converts the RTF export to text and PDF: the cells come out in order,
  on landscape pages;
- a CUPS queue writing PDF files (started by the test harness: CUPS_SERVER, LYSORA_PDF_DIR)
  receives jobs through PrintRun, whose print dialog the tool answers as a user would; the
  PDF holds the chosen pages, landscape, with the table's texts in order; on a queue whose
  paper has unprintable margins the table's left border still lands where it was laid out;
- PrintRun fails aloud, with no sheet printed, when the queue refuses the job and when the
  chosen pages lie beyond the document.

Writes a GoogleTest-style XML report (--report) and exits non-zero on any failure."""
import argparse
import glob
import html
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import traceback
import xml.etree.ElementTree as ET

args = None
work = None


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run_tool(*tool_args, timeout=180, tool="print_sample"):
    """Runs a sample tool (print_sample.exe by default) under Wine; fails when it does not
    succeed."""
    done = subprocess.run([args.wine, args.arch, f"{tool}.exe", *tool_args], timeout=timeout,
                          capture_output=True, text=True)
    assert done.returncode == 0, f"{tool} {' '.join(tool_args)} ended with {done.returncode}: {done.stderr}"


def run_printrun(*tool_args):
    """Runs print_sample's printing through PrintRun; answers PrintRun's
    exit code and the messages it showed ("CAPTION: TEXT")."""
    done = subprocess.run([args.wine, args.arch, "print_sample.exe", *tool_args], timeout=300,
                          capture_output=True, encoding="cp1252", errors="replace")
    messages = [line[len("message: "):] for line in done.stdout.splitlines() if line.startswith("message: ")]
    return done.returncode, messages


def in_order(found, wanted):
    """Asserts that every text of wanted appears in found, in the same order."""
    at = 0
    for text in wanted:
        while at < len(found) and found[at] != text:
            at += 1
        assert at < len(found), f"{text!r} missing or out of order (looked for {len(wanted)} texts)"
        at += 1


def expected_texts(page):
    with open(os.path.join(work, f"page{page}.txt"), encoding="cp1252") as f:
        return [line.rstrip("\n") for line in f if line.strip()]


def placeable(metafile, width, height):
    """The metafile behind a placeable header: bounding box in tenths of a millimetre (y
    negative downward, as the pages are drawn), 254 units per inch."""
    fields = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, -height, width, 0, 254, 0)
    checksum = 0
    for word in struct.unpack("<10H", fields):
        checksum ^= word
    return fields + struct.pack("<H", checksum) + metafile


def test_spooled_pages_render_with_libwmf():
    run_tool("spool", windows_path(work))
    pages = sorted(glob.glob(os.path.join(work, "page*.wmf")))
    assert len(pages) == 2, f"{len(pages)} pages spooled, 2 expected"
    for number, page in enumerate(pages, 1):
        wrapped = os.path.join(work, f"placeable{number}.wmf")
        with open(page, "rb") as f, open(wrapped, "wb") as out:
            out.write(placeable(f.read(), 2970, 2100))
        svg = os.path.join(work, f"page{number}.svg")
        subprocess.run(["wmf2svg", "-o", svg, wrapped], check=True, timeout=60, capture_output=True)
        with open(svg, encoding="utf-8", errors="replace") as f:
            texts = [html.unescape(t) for t in re.findall(r"<text[^>]*>\s*([^<]*)</text>", f.read())]
        wanted = expected_texts(number)
        assert [t for t in texts if t.strip()] == wanted, \
            f"page {number}: libwmf read {texts[:8]}... where {wanted[:8]}... was laid out"


def libreoffice(source, target_format):
    profile = os.path.join(work, "lo-profile")
    subprocess.run(["soffice", f"-env:UserInstallation=file://{profile}", "--headless", "--convert-to",
                    target_format, "--outdir", work, source], check=True, timeout=240, capture_output=True)


def pdf_pages(pdf):
    info = subprocess.run(["pdfinfo", pdf], check=True, capture_output=True, text=True, timeout=60).stdout
    pages = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
    width, height = map(float, re.search(r"^Page size:\s+([\d.]+) x ([\d.]+)", info, re.M).groups())
    rotation = re.search(r"^Page rot:\s+(\d+)", info, re.M)
    if rotation and int(rotation.group(1)) % 180 == 90:  # shown turned a quarter
        width, height = height, width
    return pages, width, height


def pdf_words(pdf, first=None, last=None):
    command = ["pdftotext"]
    if first:
        command += ["-f", str(first), "-l", str(last)]
    text = subprocess.run(command + [pdf, "-"], check=True, capture_output=True, text=True, timeout=60).stdout
    # Liberation Sans names its "-" glyph "hyphen", which pdftotext reads as the soft hyphen.
    return text.replace("\u00ad", "-").split()


def sample_cells(first_row, last_row, columns=8):
    """The texts of the sample table's lines, as the sample tool builds them."""
    cells = []
    for i in range(first_row, last_row + 1):
        cells.append(f"Feed{i}")
        for k in range(1, columns + 1):
            value = 0 if i % 7 == 0 else i + k / 10
            cells.append("-" if value == 0 else f"{value:.2f}")  # never whole: two decimals
    return cells


def test_rtf_export_reads_in_libreoffice():
    rtf = os.path.join(work, "sample.rtf")
    run_tool("rtf", windows_path(rtf))
    libreoffice(rtf, "txt:Text")
    with open(os.path.join(work, "sample.txt"), encoding="utf-8-sig", errors="replace") as f:
        words = f.read().split()
    in_order(words, ["Comparison", "of", "raw", "nutrients"] + [f"AA{k}" for k in range(1, 9)]
             + sample_cells(1, 40))
    libreoffice(rtf, "pdf")
    pages, width, height = pdf_pages(os.path.join(work, "sample.pdf"))
    assert width > height, f"RTF pages are {width} x {height} points: not landscape"
    assert pages >= 1


def wait_for_pdf(folder, before, timeout=90):
    """The new PDF in folder, once cups-pdf has finished writing it."""
    end = time.time() + timeout
    while time.time() < end:
        new = [p for p in glob.glob(os.path.join(folder, "*.pdf")) if p not in before]
        if new:
            size = os.path.getsize(new[0])
            time.sleep(1.0)
            if size > 0 and size == os.path.getsize(new[0]):
                return new[0]
        time.sleep(0.5)
    raise AssertionError(f"no PDF appeared in {folder} within {timeout} s")


def cups_setting(name):
    value = os.environ.get(name)
    assert value and os.environ.get("CUPS_SERVER"), \
        f"no {name}: run the Windows tests through scripts/test or start_display"
    return value


def print_to_pdf(first, last, *queue):
    folder = cups_setting("LYSORA_PDF_DIR")
    before = set(glob.glob(os.path.join(folder, "*.pdf")))
    status, messages = run_printrun("print", str(first), str(last), *queue)
    assert status == 0 and not messages, f"PrintRun ended with {status}, saying {messages}"
    pdf = wait_for_pdf(folder, before)
    kept = os.path.join(work, f"printed_{first}_{last}{'_' + queue[0] if queue else ''}.pdf")
    shutil.copy(pdf, kept)
    if args.keep_pdf and first == 1:
        shutil.copy(pdf, args.keep_pdf)
    return kept


def test_two_page_document_prints_through_printrun_to_a_cups_queue():
    pdf = print_to_pdf(1, 2)
    pages, width, height = pdf_pages(pdf)
    assert pages == 2, f"{pages} pages printed, 2 chosen"
    assert width > height, f"printed pages are {width} x {height} points: not landscape"
    in_order(pdf_words(pdf, 1, 1), ["Comparison", "of", "raw", "nutrients", "AA1", "AA8"] + sample_cells(1, 32))
    in_order(pdf_words(pdf, 2, 2), ["Comparison", "AA1"] + sample_cells(33, 40) + ["Lysora"])


def test_page_range_beyond_the_document_prints_up_to_its_last_page():
    pdf = print_to_pdf(2, 99)
    pages, _, _ = pdf_pages(pdf)
    assert pages == 1, f"{pages} pages printed for pages 2 to 99 of 2"
    words = pdf_words(pdf)
    in_order(words, sample_cells(33, 40))
    assert "Feed1" not in words


def cups_jobs():
    """Every job the private CUPS server has received, whatever became of it."""
    listed = subprocess.run(["lpstat", "-W", "all", "-o"], capture_output=True, text=True, timeout=60)
    return set(line.split()[0] for line in listed.stdout.splitlines() if line.strip())


def refused(texts, *tool_args):
    """Runs a print that must fail aloud: PrintRun ends non-zero, shows one message holding
    one of the texts, and no job reaches the printer (no sheet comes out). Answers the
    message."""
    jobs = cups_jobs()
    pdfs = set(glob.glob(os.path.join(cups_setting("LYSORA_PDF_DIR"), "*.pdf")))
    status, messages = run_printrun(*tool_args)
    assert status != 0, f"PrintRun {' '.join(tool_args)} reported success, saying {messages}"
    assert len(messages) == 1 and any(text in messages[0] for text in texts), f"unexpected messages {messages}"
    time.sleep(2)
    assert cups_jobs() == jobs, "a job reached the printer"
    assert set(glob.glob(os.path.join(cups_setting("LYSORA_PDF_DIR"), "*.pdf"))) == pdfs, "a sheet came out"
    return messages[0]


def test_a_printer_that_refuses_the_job_is_said_and_fails():
    message = refused(["The printer did not accept the print job", "L'imprimante n'a pas accepté l'impression"],
                      "print", "1", "2", cups_setting("LYSORA_REJECT_QUEUE"))
    assert message.startswith("Error: ") or message.startswith("Erreur: "), message


def test_pages_beyond_the_document_start_no_job():
    refused(["None of the chosen pages is in the document", "Aucune des pages choisies n'est dans le document"],
            "print", "5", "9")


def table_left_border_mm(pdf):
    """Distance from the paper's left edge to the printed table's left border on page 1: the
    leftmost column of the page (rendered at 10 pixels per millimetre) that is dark over
    more than 30 mm."""
    stem = os.path.join(work, os.path.basename(pdf)[:-4])
    subprocess.run(["pdftoppm", "-r", "254", "-gray", "-f", "1", "-l", "1", "-singlefile", pdf, stem],
                   check=True, timeout=120, capture_output=True)
    with open(stem + ".pgm", "rb") as f:
        data = f.read()
    # Binary greymap: "P5", width, height, maximum, each followed by white space, then the
    # pixels row by row, one byte each.
    fields = re.match(rb"P5\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    width, height = int(fields.group(1)), int(fields.group(2))
    pixels = data[fields.end():]
    assert width > height, f"page 1 rendered {width} x {height}: not landscape"
    for x in range(width):
        if sum(1 for y in range(height) if pixels[y * width + x] < 128) > 300:
            return x / 10
    raise AssertionError("no table border found on page 1")


def test_unprintable_margins_leave_the_table_where_the_layout_put_it():
    queue = cups_setting("LYSORA_MARGINS_QUEUE")
    for pdf in (print_to_pdf(1, 1), print_to_pdf(1, 1, queue)):
        border = table_left_border_mm(pdf)
        assert abs(border - 10) <= 0.5, f"{os.path.basename(pdf)}: left border at {border} mm, laid out at 10 mm"


def parse_arguments(description=None):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--wine", required=True)
    parser.add_argument("--arch", required=True)
    parser.add_argument("--report", required=True)
    parser.add_argument("--keep-pdf", help="copy the two-page PDF here")
    return parser.parse_args()


def run(tests, suite_name, arguments):
    """Runs each test in a fresh temporary folder shared by the suite (the global work),
    writes the GoogleTest-style report and answers the exit code."""
    global args, work
    args = arguments
    suite = ET.Element("testsuite", name=suite_name)
    failures = 0
    with tempfile.TemporaryDirectory(prefix="lysora-print-") as folder:
        work = folder
        for test in tests:
            case = ET.SubElement(suite, "testcase", name=test.__name__, classname=suite_name,
                                 status="run", result="completed")
            start = time.time()
            try:
                test()
                print(f"[       OK ] {test.__name__}")
            except Exception as failure:  # every failure is reported, none stops the others
                failures += 1
                detail = "".join(traceback.format_exception_only(type(failure), failure)).strip()
                ET.SubElement(case, "failure", message=detail).text = traceback.format_exc()
                print(f"[  FAILED  ] {test.__name__}: {detail}")
            case.set("time", f"{time.time() - start:.1f}")
    suite.set("tests", str(len(tests)))
    suite.set("failures", str(failures))
    root = ET.Element("testsuites", tests=str(len(tests)), failures=str(failures))
    root.append(suite)
    os.makedirs(os.path.dirname(os.path.abspath(args.report)), exist_ok=True)
    ET.ElementTree(root).write(args.report, encoding="utf-8", xml_declaration=True)
    return 1 if failures else 0


def main():
    tests = [test_spooled_pages_render_with_libwmf, test_rtf_export_reads_in_libreoffice,
             test_two_page_document_prints_through_printrun_to_a_cups_queue,
             test_page_range_beyond_the_document_prints_up_to_its_last_page,
             test_a_printer_that_refuses_the_job_is_said_and_fails, test_pages_beyond_the_document_start_no_job,
             test_unprintable_margins_leave_the_table_where_the_layout_put_it]
    return run(tests, "OutsideReaders", parse_arguments())


if __name__ == "__main__":
    sys.exit(main())
