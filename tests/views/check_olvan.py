"""Checks formulation (OLVAN 2) export files against the tables, read independently with
dbfread: for the feedstuff of each file, a 01 record with its code and name (cut to 50), a
02 record with the item count, and one 03 record per nutrient in code order and per value
type (TB, DIG_V, TDIG_V) the nutrient carries, for every nutrient with a value record.
usage: check_olvan.py TABLES_DIR LANGUAGE(FRA|ENG) FILE... where each FILE is named
olvan_CODE.txt. Prints each difference; exit 1 if any."""
import sys
from pathlib import Path

from dbfread import DBF

TYPES = ["TB", "DIG_V", "TDIG_V"]
TITLE = "Matieres Premieres  - OLVAN 2 - (c) OLVAN-FORMULATION"


def field_decimals(tables):
    """The decimals of each field of the values table, as its header declares them."""
    return {field.name: field.decimal_count for field in DBF(tables / "valeurs.dbf").fields}


def number(value, decimals):
    """A table value as written: a whole number without decimals, any other with the
    decimals of its table field ("." as separator)."""
    value = value or 0
    if float(value).is_integer():
        return str(int(value))
    return f"{value:.{decimals}f}"


def expected(tables, language, code):
    names = {r["MATIERE"]: r["LIBELLE"].strip() for r in DBF(tables / f"mat{language}.dbf", encoding="cp1252")}
    nutrients = sorted(DBF(tables / f"nut{language}.dbf", encoding="cp1252"), key=lambda n: n["NUTRI"])
    values = {(r["MATIERE"], r["NUTRI"].strip()): r for r in DBF(tables / "valeurs.dbf")}
    decimals = field_decimals(tables)
    lines = [TITLE, f"01\t{code}\t{names[code][:50]}"]
    items = []
    for nutrient in nutrients:
        record = values.get((code, nutrient["NUTRI"].strip()))
        if record is None:
            continue
        for k, kind in enumerate(TYPES, start=1):
            if nutrient[kind] == "O":
                items.append(f"03\t{k}{nutrient['NUTRI'].strip()}\t{number(record[kind], decimals[kind])}")
    lines.append(f"02\t{len(items)}")
    lines += items
    return "".join(line + "\r\n" for line in lines).encode("cp1252")


def main():
    tables, language = Path(sys.argv[1]), sys.argv[2]
    failures = 0
    for name in sys.argv[3:]:
        path = Path(name)
        code = int(path.stem.split("_")[1])
        want, got = expected(tables, language, code), path.read_bytes()
        if want != got:
            failures += 1
            print(f"{path.name}: differs\n--- expected\n{want!r}\n--- written\n{got!r}")
    print(f"{len(sys.argv) - 3} files checked, {failures} differ")
    return 1 if failures or len(sys.argv) < 4 else 0


if __name__ == "__main__":
    sys.exit(main())
