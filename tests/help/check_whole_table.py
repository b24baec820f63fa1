"""Checks the whole-table help page against the shipped tables, read independently with
dbfread: every value type's tables hold, for every feedstuff and every nutrient carrying
that type, exactly the stored mean ("-" for a missing record or 0), and nothing else.
usage: check_whole_table.py BIN LANGUAGE(FRA|ENG). Prints each difference; exit 1 if any."""
import sys
from html.parser import HTMLParser
from pathlib import Path

from dbfread import DBF

TYPES = ["TB", "TB16G", "DIG_A", "DIG_V", "TDIG_V"]


class Tables(HTMLParser):
    """The tables of class "values": id -> (header texts, rows of cell texts)."""

    def __init__(self):
        super().__init__()
        self.tables, self.current, self.row, self.cell = {}, None, None, None

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "table" and "values" in (attrs.get("class") or ""):
            self.current = self.tables.setdefault(attrs["id"], [])
        elif self.current is not None and tag == "tr":
            self.row = []
        elif self.row is not None and tag in ("th", "td"):
            self.cell = ""

    def handle_endtag(self, tag):
        if tag == "table":
            self.current = None
        elif tag == "tr" and self.row is not None:
            self.current.append(self.row)
            self.row = None
        elif tag in ("th", "td") and self.cell is not None:
            self.row.append(self.cell.strip())
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data


def shown(value, separator):
    if value is None or value == 0:
        return "-"
    text = f"{value:.2f}"
    if text.endswith(".00"):
        text = text[:-3]
    return text.replace(".", separator)


def main():
    bin_dir, language = Path(sys.argv[1]), sys.argv[2]
    separator = "," if language == "FRA" else "."
    names = {r["MATIERE"]: r["LIBELLE"].strip() for r in DBF(bin_dir / f"mat{language}.dbf", encoding="cp1252")}
    nutrients = list(DBF(bin_dir / f"nut{language}.dbf", encoding="cp1252"))
    code_of_short = {n["COURT"].strip(): n["NUTRI"].strip() for n in nutrients}
    values = {(r["MATIERE"], r["NUTRI"].strip()): r for r in DBF(bin_dir / "valeurs.dbf")}

    page = Tables()
    page.feed((bin_dir / "help" / language.lower() / "table.html").read_text(encoding="utf-8"))
    problems, seen = [], {t: set() for t in TYPES}
    code_of_name = {name: code for code, name in names.items()}
    for table_id, rows in page.tables.items():
        vtype = table_id.rsplit("-", 1)[0]
        header = [code_of_short.get(short) for short in rows[0][1:]]
        for row in rows[1:]:
            matiere = code_of_name.get(row[0])
            if matiere is None:
                problems.append(f"{table_id}: unknown feedstuff {row[0]!r}")
                continue
            for nutri, cell in zip(header, row[1:]):
                record = values.get((matiere, nutri))
                expected = shown(record[vtype] if record else None, separator)
                if cell != expected:
                    problems.append(f"{table_id}: {row[0]} {nutri}: page {cell!r}, table {expected!r}")
                if (matiere, nutri) in seen[vtype]:
                    problems.append(f"{table_id}: {row[0]} {nutri} shown twice")
                seen[vtype].add((matiere, nutri))
    for vtype in TYPES:
        carrying = [n["NUTRI"].strip() for n in nutrients if n[vtype] == "O"]
        wanted = {(m, n) for m in names for n in carrying}
        for matiere, nutri in sorted(wanted - seen[vtype]):
            problems.append(f"{vtype}: {names[matiere]} {nutri} missing from the page")
    for problem in problems:
        print(problem)
    print(f"{language}: {sum(len(s) for s in seen.values())} values compared, {len(problems)} differences")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
