#!/usr/bin/env python3
"""Sums up a run of scripts/test.sh and prints "N passed, N failed, N skipped".

Usage: test-summary.py RESULTS PRESET...

For each preset, RESULTS/<preset>/ holds:
  programs          the test programs CTest knows, one a line (ctest -N)
  ctest.junit.xml   CTest's own report: how each program ended
  <program>.xml     GoogleTest's report of the program's test cases
  skipped           present when the preset was not run; holds the reason

A program counts by its GoogleTest report. A program that did not start,
crashed, timed out or wrote no report counts as one failed test under its
own name, and so does one that CTest saw fail although its report holds no
failure (a sanitizer's finding at exit, say). A preset whose CTest report is
missing has all its programs failed. A skipped preset's programs count as
skipped, as many tests as the same programs ran in another preset.
Exits 1 when anything failed, else 0.
"""
import os
import sys
import xml.etree.ElementTree as ET


def gtest_counts(path):
    """(passed, failed, skipped, names of failed cases) of one report."""
    root = ET.parse(path).getroot()
    passed = failed = skipped = 0
    failures = []
    for case in root.iter("testcase"):
        name = f"{case.get('classname')}.{case.get('name')}"
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
            failures.append(name)
        elif case.get("result") == "skipped" or case.get("status") == "notrun" \
                or case.find("skipped") is not None:
            skipped += 1
        else:
            passed += 1
    return passed, failed, skipped, failures


def ctest_status(path):
    """{program: (ok, why)} from CTest's JUnit report, or None when missing."""
    if not os.path.exists(path):
        return None
    try:
        root = ET.parse(path).getroot()
    except ET.ParseError:
        return None
    status = {}
    for case in root.iter("testcase"):
        name = case.get("name")
        bad = case.find("failure")
        if bad is None:
            bad = case.find("error")
        if bad is None and case.get("status") in (None, "run", "passed"):
            status[name] = (True, "")
        else:
            # CTest's message ("Timeout", say), else the program's last words.
            said = [line.strip() for line in (case.findtext("system-out") or "").splitlines() if line.strip()]
            why = (bad.get("message") if bad is not None else None) or (said[-1][:160] if said else "") \
                or case.get("status") or "failed"
            status[name] = (False, why)
    return status


def read_lines(path):
    if not os.path.exists(path):
        return []
    with open(path) as f:
        return [line.strip() for line in f if line.strip()]


def summarize(results, presets, out=sys.stdout):
    total = {"passed": 0, "failed": 0, "skipped": 0}
    failed_names = []
    tests_of = {}  # program -> test cases it ran in some preset

    reports = {}
    for preset in presets:
        d = os.path.join(results, preset)
        if os.path.exists(os.path.join(d, "skipped")):
            continue
        programs = read_lines(os.path.join(d, "programs"))
        status = ctest_status(os.path.join(d, "ctest.junit.xml"))
        reports[preset] = (programs, status)
        for program in programs:
            report = os.path.join(d, program + ".xml")
            if os.path.exists(report):
                try:
                    p, f, s, _ = gtest_counts(report)
                    tests_of.setdefault(program, p + f + s)
                except ET.ParseError:
                    pass

    for preset in presets:
        d = os.path.join(results, preset)
        programs = read_lines(os.path.join(d, "programs"))
        skipped_file = os.path.join(d, "skipped")
        if os.path.exists(skipped_file):
            why = " ".join(read_lines(skipped_file))
            n = sum(tests_of.get(p, 1) for p in programs)
            total["skipped"] += n
            print(f"{preset}: skipped, {len(programs)} test programs ({n} tests, as many as the "
                  f"same programs ran elsewhere in this run): {why}", file=out)
            continue
        programs, status = reports[preset]
        if not programs:
            total["failed"] += 1
            failed_names.append(f"{preset}: no test programs found")
            continue
        line = []
        for program in programs:
            report = os.path.join(d, program + ".xml")
            ok, why = (False, "CTest wrote no report") if status is None else \
                status.get(program, (False, "not run"))
            counts = None
            if os.path.exists(report):
                try:
                    counts = gtest_counts(report)
                except ET.ParseError:
                    why = "its result file is unreadable"
            if counts is None:
                total["failed"] += 1
                failed_names.append(f"{preset}/{program}: no result ({why or 'no result file'})")
                line.append(f"{program} FAILED")
                continue
            p, f, s, failures = counts
            total["passed"] += p
            total["failed"] += f
            total["skipped"] += s
            failed_names += [f"{preset}/{program}: {name}" for name in failures]
            if not ok and f == 0:
                total["failed"] += 1
                failed_names.append(f"{preset}/{program}: ended in failure after its tests ({why})")
            line.append(f"{program} {p}" + (f" ({f} failed)" if f else "") +
                        ("" if ok else " EXIT FAILED"))
        print(f"{preset}: " + ", ".join(line), file=out)

    for name in failed_names:
        print(f"FAILED {name}", file=out)
    print(f"{total['passed']} passed, {total['failed']} failed, {total['skipped']} skipped", file=out)
    return total


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    total = summarize(argv[1], argv[2:])
    return 1 if total["failed"] else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
