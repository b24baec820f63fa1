#!/usr/bin/env python3
"""Independent readers of the feedstuff sheet's exports, as the Windows tool sheet_sample
makes the sheet write them for shipped feedstuffs:

- the spreadsheet and formulation files of every feedstuff equal, byte for byte, the files
  computed here from the tables read with dbfread (not through Lysora's code): French with
  the decimal comma, and English with the point;
- LibreOffice Writer reads the RTF document: the name, the definition and the three tables
  (title, short names, row titles and cells) in order, on landscape pages, the proximate
  analysis on a page of its own.

The group bounds come from the general table; its permanent nutrient, which the table
holds scrambled, from the text source the tables are made from. Runs in the folder of the
shipped tables with a Python that has dbfread; shares the harness of
tests/print/outside_readers_test.py."""
import os
import sys
from pathlib import Path

from dbfread import DBF

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parents[1] / "print"))
sys.path.insert(0, str(HERE))
import check_olvan  # noqa: E402
import outside_readers_test as readers  # noqa: E402

FIELDS = ["TB", "E_TB", "TB16G", "E_TB16G", "DIG_A", "E_DIG_A", "DIG_V", "E_DIG_V", "TDIG_V", "E_TDIG_V", "NB_VAL"]
TITLES = {
    "FRA": ["Teneur brute", "Ecart-type", "Teneur g/16g N", "Ecart-type", "Digestibilité apparente", "Ecart-type",
            "Digestibilité standardisée", "Ecart-type", "Teneur digestible standardisée", "Ecart-type",
            "Nombre de valeurs"],
    "ENG": ["Raw nutrient", "Standard deviation", "g/16g N expression", "Standard deviation",
            "Apparent digestibility", "Standard deviation", "Standardised digestibility", "Standard deviation",
            "Standardised digestible nutrient", "Standard deviation", "Number of values"],
}
GROUP_TITLES = {
    "FRA": ["Acides aminés essentiels", "Acides aminés non essentiels", "Analyse proximale"],
    "ENG": ["Essential amino acids", "Non-essential amino acids", "Proximate analysis"],
}


def permanent_nutrient():
    for line in (HERE.parents[2] / "tables" / "general.txt").read_text(encoding="utf-8").splitlines():
        key, _, value = line.partition("=")
        if key.strip() == "NUTRI":
            return value.strip()
    raise AssertionError("no permanent nutrient in tables/general.txt")


class Tables:
    """The shipped tables of one language, read with dbfread."""

    def __init__(self, language):
        self.language = language
        self.feedstuffs = {r["MATIERE"]: r for r in DBF(f"mat{language}.dbf", encoding="cp1252")}
        nutrients = list(DBF(f"nut{language}.dbf", encoding="cp1252"))
        self.nutrients = {n["NUTRI"].strip(): n for n in nutrients}
        self.values = {(r["MATIERE"], r["NUTRI"].strip()): r for r in DBF("valeurs.dbf")}
        self.decimals = check_olvan.field_decimals(Path("."))
        general = next(iter(DBF("general.dbf")))
        permanent = permanent_nutrient()
        # Every group starts with the permanent nutrient, then its own ones in display order.
        self.groups = [[permanent], [permanent], [permanent]]
        for n in sorted(nutrients, key=lambda n: n["ORDRE"]):
            code = n["NUTRI"].strip()
            if code != permanent:
                group = 0 if n["ORDRE"] < general["ORDRE1"] else 1 if n["ORDRE"] < general["ORDRE2"] else 2
                self.groups[group].append(code)

    def short(self, code):
        return self.nutrients[code]["COURT"].strip()

    def cell(self, code, nutrient, field):
        """The sheet's cell: None where the nutrient does not carry the entry, else the
        record's value, 0 when there is no record."""
        carried = self.nutrients[nutrient]
        if field != "NB_VAL" and carried[field.removeprefix("E_")] != "O":
            return None
        record = self.values.get((code, nutrient))
        return 0 if record is None else record[field] or 0


def shown(tables, value, field, separator):
    if value is None:
        return ""
    if value == 0:
        return "-"
    return check_olvan.number(value, tables.decimals[field]).replace(".", separator)


def expected_spreadsheet(tables, code, separator):
    feedstuff = tables.feedstuffs[code]
    columns = tables.groups[0] + tables.groups[1][1:] + tables.groups[2][1:]  # the permanent one once
    lines = [feedstuff["LIBELLE"].strip(), feedstuff["DEFINITION"].strip(), "",
             "".join(";" + tables.short(c) for c in columns)]
    for field, title in zip(FIELDS, TITLES[tables.language]):
        lines.append(title + "".join(";" + shown(tables, tables.cell(code, c, field), field, separator) for c in columns))
    return "".join(line + "\r\n" for line in lines).encode("cp1252")


def expected_rtf_words(tables, code, separator):
    """The words of the RTF document in reading order; each table holds the whole group."""
    feedstuff = tables.feedstuffs[code]
    words = feedstuff["LIBELLE"].split() + feedstuff["DEFINITION"].split()
    for group, title in zip(tables.groups, GROUP_TITLES[tables.language]):
        words += title.split() + [tables.short(c) for c in group]
        for field, row_title in zip(FIELDS, TITLES[tables.language]):
            words += row_title.split()
            words += [w for w in (shown(tables, tables.cell(code, c, field), field, separator) for c in group) if w]
    return words


def export(language, separator, codes):
    folder = os.path.join(readers.work, language)
    os.makedirs(folder, exist_ok=True)
    readers.run_tool("export", language, separator, readers.windows_path(folder), *map(str, codes),
                     tool="sheet_sample", timeout=300)
    return folder


def compare_files(folder, tables, codes, separator):
    differences = []
    for code in codes:
        base = os.path.join(folder, f"sheet_{code}")
        with open(base + ".csv", "rb") as f:
            got = f.read()
        want = expected_spreadsheet(tables, code, separator)
        if got != want:
            differences.append(f"sheet_{code}.csv:\n  expected {want[:300]!r}\n  written  {got[:300]!r}")
        with open(base + ".txt", "rb") as f:
            got = f.read()
        want = check_olvan.expected(Path("."), tables.language, code)
        if got != want:
            differences.append(f"sheet_{code}.txt:\n  expected {want!r}\n  written  {got!r}")
    assert not differences, f"{len(differences)} of {2 * len(codes)} files differ:\n" + "\n".join(differences[:4])


def test_spreadsheet_and_formulation_files_of_every_feedstuff_match_dbfread_in_french():
    tables = Tables("FRA")
    codes = sorted(tables.feedstuffs)
    assert len(codes) >= 60, f"{len(codes)} shipped feedstuffs"
    compare_files(export("FRA", ",", codes), tables, codes, ",")


def rtf_feedstuffs(tables):
    """The first feedstuff and the one with the longest name."""
    codes = sorted(tables.feedstuffs)
    return [codes[0], max(codes, key=lambda c: len(tables.feedstuffs[c]["LIBELLE"].strip()))]


def check_rtf(folder, tables, code, separator):
    rtf = os.path.join(folder, f"sheet_{code}.rtf")
    readers.libreoffice(rtf, "txt:Text")
    text_file = os.path.join(readers.work, f"sheet_{code}.txt")
    with open(text_file, encoding="utf-8-sig", errors="replace") as f:
        readers.in_order(f.read().split(), expected_rtf_words(tables, code, separator))
    readers.libreoffice(rtf, "pdf")
    pdf = os.path.join(readers.work, f"sheet_{code}.pdf")
    pages, width, height = readers.pdf_pages(pdf)
    assert width > height, f"RTF pages are {width} x {height} points: not landscape"
    titles = GROUP_TITLES[tables.language]
    last_page = " ".join(readers.pdf_words(pdf, pages, pages))
    first_page = " ".join(readers.pdf_words(pdf, 1, 1))
    assert titles[2] in last_page and titles[2] not in first_page, \
        f"the proximate analysis is not on a page of its own ({pages} pages)"
    assert titles[0] in first_page, f"{titles[0]!r} not on the first page"


def test_english_files_use_the_point_and_the_rtf_reads_in_libreoffice():
    tables = Tables("ENG")
    codes = rtf_feedstuffs(tables)
    folder = export("ENG", ".", codes)
    compare_files(folder, tables, codes, ".")
    for code in codes:
        check_rtf(folder, tables, code, ".")


def test_french_rtf_reads_in_libreoffice_with_the_decimal_comma():
    tables = Tables("FRA")
    code = rtf_feedstuffs(tables)[0]
    check_rtf(export("FRA", ",", [code]), tables, code, ",")


def main():
    tests = [test_spreadsheet_and_formulation_files_of_every_feedstuff_match_dbfread_in_french,
             test_english_files_use_the_point_and_the_rtf_reads_in_libreoffice,
             test_french_rtf_reads_in_libreoffice_with_the_decimal_comma]
    return readers.run(tests, "SheetReaders", readers.parse_arguments())


if __name__ == "__main__":
    sys.exit(main())
