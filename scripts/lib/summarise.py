"""Sums the GoogleTest XML reports of the given build folders into one line,
(usage: summarise.py BUILD... [-- ctest selection arguments])
"N passed, N failed". A CTest test that ended without its report (a crash, a timeout)
counts as one failure, so nothing is lost from the count. Exits 1 when anything failed."""
import subprocess
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

passed = failed = 0
args = sys.argv[1:]
ctest_args = args[args.index("--") + 1:] if "--" in args else []
builds = args[:args.index("--")] if "--" in args else args
for build in map(Path, builds):
    listed = subprocess.run(["ctest", "--test-dir", str(build), "-N", *ctest_args],
                            capture_output=True, text=True).stdout
    names = [line.split(":", 1)[1].strip() for line in listed.splitlines()
             if line.strip().startswith("Test") and "#" in line and ":" in line]
    for name in names:
        report = build / "reports" / f"{name}.xml"
        if not report.exists():
            failed += 1
            print(f"{name}: no report (crashed or not run)")
            continue
        try:
            root = ET.parse(report).getroot()
        except ET.ParseError:
            failed += 1
            print(f"{name}: unreadable report")
            continue
        for case in root.iter("testcase"):
            if case.get("status") == "notrun" or case.get("result") == "skipped":
                continue
            if case.find("failure") is not None:
                failed += 1
            else:
                passed += 1
print(f"{passed} passed, {failed} failed")
sys.exit(1 if failed or passed == 0 else 0)
