"""Checks formulation (OLVAN 2) export files against the tables, read independently with
dbfread: for the feedstuff of each file, a 01 record with its code and name (cut to 50), a
02 record with the item count, and one 03 record per nutrient in code order and per value
type (TB, DIG_V, TDIG_V) the nutrient carries, for every nutrient with a value record.
With --batch CP;DM (either may be empty) and --note TEXT, the files are those of a feedstuff
adjusted to the user's batch: the title line ends with " - " and TEXT, amino-acid contents
are g/16 g N x CP / 100 (or, without CP, scaled as the other contents), other contents are
scaled by DM / table DM, crude protein and dry matter are the batch's, standardised
digestible contents follow the content, all rounded to two decimals.
usage: check_olvan.py [--batch CP;DM --note TEXT] TABLES_DIR LANGUAGE(FRA|ENG) FILE... where
each FILE is named olvan_CODE.txt. Prints each difference; exit 1 if any."""
import math
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


# Crude protein is the permanent nutrient (the general table stores it scrambled); the
# amino acids are the nutrients ordered below the general table's second bound.
PROTEIN, DRY_MATTER = "CP", "DM"


def two_decimals(value):
    scaled = value * 100
    return math.copysign(math.floor(abs(scaled) + 0.5), scaled) / 100


def adjusted(record, nutri, amino, batch, basis):
    """The record's TB and TDIG_V adjusted to the batch (cp, dm: None when not given)."""
    cp, dm = batch
    content = record["TB"] or 0
    if not content:
        return dict(record)
    ratio = dm / basis[DRY_MATTER] if dm is not None and basis[DRY_MATTER] else None
    new = None
    if nutri == PROTEIN:
        new = cp if cp is not None else (content * ratio if ratio else None)
    elif nutri == DRY_MATTER:
        new = dm
    elif amino and cp is not None:
        new = record["TB16G"] * cp / 100 if record["TB16G"] else content * cp / basis[PROTEIN]
    elif ratio:
        new = content * ratio
    result = dict(record)
    if new is not None:
        result["TB"] = two_decimals(new)
        result["TDIG_V"] = two_decimals(new * (record["DIG_V"] or 0) / 100)
    return result


def expected(tables, language, code, batch=None, note=""):
    names = {r["MATIERE"]: r["LIBELLE"].strip() for r in DBF(tables / f"mat{language}.dbf", encoding="cp1252")}
    nutrients = sorted(DBF(tables / f"nut{language}.dbf", encoding="cp1252"), key=lambda n: n["NUTRI"])
    values = {(r["MATIERE"], r["NUTRI"].strip()): r for r in DBF(tables / "valeurs.dbf")}
    bound = next(iter(DBF(tables / "general.dbf")))["ORDRE2"]
    basis = {n: (values.get((code, n)) or {}).get("TB") or 0 for n in (PROTEIN, DRY_MATTER)}
    decimals = field_decimals(tables)
    lines = [TITLE + (f" - {note}" if note else ""), f"01\t{code}\t{names[code][:50]}"]
    items = []
    for nutrient in nutrients:
        nutri = nutrient["NUTRI"].strip()
        record = values.get((code, nutri))
        if record is None:
            continue
        if batch:
            record = adjusted(record, nutri, nutrient["ORDRE"] < bound, batch, basis)
        for k, kind in enumerate(TYPES, start=1):
            if nutrient[kind] == "O":
                items.append(f"03\t{k}{nutri}\t{number(record[kind], decimals[kind])}")
    lines.append(f"02\t{len(items)}")
    lines += items
    return "".join(line + "\r\n" for line in lines).encode("cp1252")


def main():
    args, batch, note = sys.argv[1:], None, ""
    while args and args[0] in ("--batch", "--note"):
        option, value, args = args[0], args[1], args[2:]
        if option == "--batch":
            batch = tuple(float(v) if v else None for v in value.split(";"))
        else:
            note = value
    tables, language, files = Path(args[0]), args[1], args[2:]
    failures = 0
    for name in files:
        path = Path(name)
        code = int(path.stem.split("_")[1])
        want, got = expected(tables, language, code, batch, note), path.read_bytes()
        if want != got:
            failures += 1
            print(f"{path.name}: differs\n--- expected\n{want!r}\n--- written\n{got!r}")
    print(f"{len(files)} files checked, {failures} differ")
    return 1 if failures or not files else 0


if __name__ == "__main__":
    sys.exit(main())
