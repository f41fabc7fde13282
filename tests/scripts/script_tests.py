#!/usr/bin/env python3
"""Tests of the project's own scripts, run by CTest in the native presets.

Writes its results as GoogleTest does (to the folder named by GTEST_OUTPUT,
"xml:<dir>/"), so the test command's summary counts them like the others.
"""
import importlib.util
import io
import os
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def load_summary():
    spec = importlib.util.spec_from_file_location("test_summary", os.path.join(ROOT, "scripts", "test-summary.py"))
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


summary = load_summary()


def gtest_report(passed, failed):
    cases = [f'<testcase classname="S" name="ok{i}" result="completed"/>' for i in range(passed)]
    cases += [f'<testcase classname="S" name="bad{i}"><failure message="x"/></testcase>' for i in range(failed)]
    return f'<testsuites><testsuite name="S">{"".join(cases)}</testsuite></testsuites>'


def ctest_report(programs):
    cases = []
    for name, ok in programs.items():
        body = "" if ok else '<failure message="Failed"/>'
        cases.append(f'<testcase name="{name}" status="{"run" if ok else "fail"}">{body}</testcase>')
    return f'<testsuite>{"".join(cases)}</testsuite>'


class TestSummaryCounts(unittest.TestCase):
    """Every way a test program can end, and what the summary line makes of it."""

    def run_case(self, layout):
        with tempfile.TemporaryDirectory() as results:
            for preset, files in layout.items():
                os.makedirs(os.path.join(results, preset))
                for name, text in files.items():
                    with open(os.path.join(results, preset, name), "w") as f:
                        f.write(text)
            out = io.StringIO()
            total = summary.summarize(results, list(layout), out)
            return total, out.getvalue()

    def test_table(self):
        rows = [
            # (what happened, layout, passed, failed, skipped, text the output must hold)
            ("all pass", {"p": {"programs": "a\n", "ctest.junit.xml": ctest_report({"a": True}),
                                "a.xml": gtest_report(3, 0)}}, 3, 0, 0, "0 failed"),
            ("a case fails", {"p": {"programs": "a\n", "ctest.junit.xml": ctest_report({"a": False}),
                                    "a.xml": gtest_report(2, 1)}}, 2, 1, 0, "FAILED p/a: S.bad0"),
            ("never started: no report", {"p": {"programs": "a\nb\n",
                                                "ctest.junit.xml": ctest_report({"a": True, "b": False}),
                                                "a.xml": gtest_report(1, 0)}}, 1, 1, 0, "FAILED p/b: no result"),
            ("fails at exit after passing", {"p": {"programs": "a\n", "ctest.junit.xml": ctest_report({"a": False}),
                                                   "a.xml": gtest_report(4, 0)}}, 4, 1, 0, "ended in failure"),
            ("no CTest report", {"p": {"programs": "a\n", "a.xml": gtest_report(1, 0)}}, 1, 1, 0,
             "EXIT FAILED"),
            ("truncated report", {"p": {"programs": "a\n", "ctest.junit.xml": ctest_report({"a": False}),
                                        "a.xml": "<testsuites><testsu"}}, 0, 1, 0, "unreadable"),
            ("no programs at all", {"p": {"programs": ""}}, 0, 1, 0, "no test programs"),
            ("skipped preset counts the other's tests",
             {"p": {"programs": "a\n", "ctest.junit.xml": ctest_report({"a": True}), "a.xml": gtest_report(5, 0)},
              "q": {"programs": "a\n", "skipped": "no 32-bit\n"}}, 5, 0, 5, "q: skipped, 1 test programs (5 tests"),
        ]
        for what, layout, passed, failed, skipped, text in rows:
            with self.subTest(what):
                total, out = self.run_case(layout)
                self.assertEqual((total["passed"], total["failed"], total["skipped"]), (passed, failed, skipped), out)
                self.assertIn(text, out)
                self.assertIn(f"{passed} passed, {failed} failed, {skipped} skipped", out.splitlines()[-1])


class TestWineChoice(unittest.TestCase):
    """The loader and build that scripts/wine-env.sh picks, decided by trying the 32-bit loader."""

    def choose(self, env):
        script = ('source "$1/scripts/wine-env.sh" && '
                  'echo "$VARNEL_WINE_ARCH|$VARNEL_MAIN_PRESET|$VARNEL_WINE|${WINEPREFIX##*/}|$VARNEL_WINE_WHY"')
        clean = {k: v for k, v in os.environ.items() if not k.startswith(("VARNEL_", "WINE"))}
        out = subprocess.run(["bash", "-c", script, "-", ROOT], env={**clean, **env}, capture_output=True,
                             text=True, check=True).stdout.strip()
        return out.split("|")

    def test_table(self):
        with tempfile.TemporaryDirectory() as d:
            refusing = os.path.join(d, "wine32")
            with open(refusing, "w") as f:
                f.write("#!/bin/sh\necho \"$0: cannot execute binary file: Exec format error\" >&2\nexit 126\n")
            os.chmod(refusing, 0o755)
            rows = [
                # (case, environment, arch, preset, loader, prefix, reason holds)
                ("32-bit loader runs", {"VARNEL_WINE32_LOADER": "/bin/echo"},
                 "win32", "win32", "/usr/bin/wine", "wineprefix", "runs 32-bit programs"),
                ("32-bit loader refused", {"VARNEL_WINE32_LOADER": refusing, "VARNEL_WINE64_LOADER": "/x/wine64"},
                 "win64", "win64", "/x/wine64", "wineprefix64", "Exec format error"),
                ("32-bit loader missing", {"VARNEL_WINE32_LOADER": os.path.join(d, "none")},
                 "win64", "win64", "/usr/lib/wine/wine64", "wineprefix64", "cannot run 32-bit programs"),
                ("forced to 64 bits", {"VARNEL_WINE32_LOADER": "/bin/echo", "VARNEL_WINE_ARCH": "win64"},
                 "win64", "win64", "/usr/lib/wine/wine64", "wineprefix64", "forces the 64-bit path"),
                ("loader given", {"VARNEL_WINE32_LOADER": "/bin/echo", "VARNEL_WINE": "/no/such/wine"},
                 "win32", "win32", "/no/such/wine", "wineprefix", "runs 32-bit programs"),
            ]
            for case, env, arch, preset, loader, prefix, why in rows:
                with self.subTest(case):
                    got = self.choose(env)
                    self.assertEqual(got[:4], [arch, preset, loader, prefix])
                    self.assertIn(why, got[4])


# A stand-in for a libFuzzer target: prints what libFuzzer prints, and with
# FAKE_CRASH=1 a sanitizer's report and the input it keeps.
FAKE_FUZZER = """#!/bin/sh
for a in "$@"; do case "$a" in -artifact_prefix=*) kept="${a#-artifact_prefix=}";; esac; done
echo "#2	INITED cov: 10 ft: 12 corp: 3/30b exec/s: 0 rss: 30Mb"
if [ "$FAKE_CRASH" = 1 ]; then
  echo "==1==ERROR: AddressSanitizer: heap-buffer-overflow on address 0x1"
  echo "SUMMARY: AddressSanitizer: heap-buffer-overflow packed_dib.cpp:9 in Parse"
  printf x >"${kept}crash-abc"
  echo "artifact_prefix='$kept'; Test unit written to ${kept}crash-abc"
  exit 1
fi
echo "#900	DONE   cov: 11 ft: 13 corp: 4/40b lim: 4 exec/s: 300 rss: 30Mb"
echo "stat::number_of_executed_units: 900"
echo "stat::average_exec_per_sec:     300"
"""


class TestFuzzReport(unittest.TestCase):
    """What scripts/fuzz.sh makes of a target's run: its line, its report for the summary, the input it keeps."""

    def test_table(self):
        rows = [
            # (case, environment, exit code, output holds, report's failure holds, input kept)
            ("no finding", {}, 0, "900 runs (300/s), coverage 11 edges (13 features), corpus 4 inputs: no finding", None,
             False),
            ("a crash", {"FAKE_CRASH": "1"}, 1, "input kept as", "SUMMARY: AddressSanitizer: heap-buffer-overflow",
             True),
            ("no target", {"FAKE_MISSING": "1"}, 1, "settings_ini: FAILED, no target", "no target", False),
        ]
        for case, env, code, said, failure, kept in rows:
            with self.subTest(case), tempfile.TemporaryDirectory() as d:
                if "FAKE_MISSING" not in env:
                    target = os.path.join(d, "settings_ini_fuzz")
                    with open(target, "w") as f:
                        f.write(FAKE_FUZZER)
                    os.chmod(target, 0o755)
                reports = os.path.join(d, "reports")
                result = subprocess.run(
                    ["bash", os.path.join(ROOT, "scripts", "fuzz.sh"), "1", "settings_ini"],
                    env={**os.environ, **env, "VARNEL_FUZZ_BIN": d, "VARNEL_FUZZ_RUNS": os.path.join(d, "runs"),
                         "GTEST_OUTPUT": f"xml:{reports}/"}, capture_output=True, text=True)
                self.assertEqual(result.returncode, code, result.stdout + result.stderr)
                self.assertIn(said, result.stdout)
                passed, failed, _, _ = summary.gtest_counts(os.path.join(reports, "settings_ini_fuzz.xml"))
                self.assertEqual((passed, failed), (0, 1) if failure else (1, 0))
                if failure:
                    message = ET.parse(os.path.join(reports, "settings_ini_fuzz.xml")).find(".//failure").get("message")
                    self.assertIn(failure, message)
                self.assertEqual(os.path.exists(os.path.join(d, "runs", "findings", "settings_ini", "crash-abc")), kept)


class TestFormatCheck(unittest.TestCase):
    """What scripts/clang-format.sh makes of a tree: its exit and its report's cases for the summary."""

    def test_table(self):
        good, bad = "int f() { return 1; }\n", "int  f( ) {return 1;}\n"
        rows = [
            # (case, files, environment, exit code, failed cases)
            ("in format, build/ not looked at", {"app/a.cpp": good, "tests/b.h": good, "build/linux/c.cpp": bad}, {},
             0, []),
            ("one file out of format", {"app/a.cpp": good, "tests/sim/b.h": bad}, {}, 1, ["ClangFormat.tests/sim/b.h"]),
            ("no clang-format", {"app/a.cpp": good}, {"CLANG_FORMAT": "/nonexistent"}, 1,
             ["ClangFormat.clang-format not found"]),
        ]
        for case, files, env, code, failures in rows:
            with self.subTest(case), tempfile.TemporaryDirectory() as d:
                os.makedirs(os.path.join(d, "scripts"))
                for name in (".clang-format", "scripts/clang-format.sh"):
                    with open(os.path.join(ROOT, name)) as f, open(os.path.join(d, name), "w") as out:
                        out.write(f.read())
                for name, text in files.items():
                    os.makedirs(os.path.dirname(os.path.join(d, name)), exist_ok=True)
                    with open(os.path.join(d, name), "w") as f:
                        f.write(text)
                reports = os.path.join(d, "reports")
                result = subprocess.run(["bash", os.path.join(d, "scripts", "clang-format.sh")],
                                        env={**os.environ, **env, "GTEST_OUTPUT": f"xml:{reports}/"},
                                        capture_output=True, text=True)
                self.assertEqual(result.returncode, code, result.stdout + result.stderr)
                passed, _, _, names = summary.gtest_counts(os.path.join(reports, "clang_format.xml"))
                self.assertEqual((passed, names), (0 if failures else 1, failures))


def snapshot(folder):
    """Every path below the folder, with what a change would alter."""
    found = {}
    for here, dirs, files in os.walk(folder):
        for name in dirs + files:
            path = os.path.join(here, name)
            st = os.lstat(path)
            found[os.path.relpath(path, folder)] = (st.st_mode, st.st_size, st.st_mtime_ns)
    return found


class TestWinePrefixLeavesHomeAlone(unittest.TestCase):
    """A prefix the project makes keeps its shell folders inside it, and writes nothing in the user's home."""

    def test_prefix_set_up(self):
        with tempfile.TemporaryDirectory() as home, tempfile.TemporaryDirectory() as work:
            # A home as a user has it: a desktop with a file, and the XDG folders named.
            os.makedirs(os.path.join(home, "Desktop"))
            with open(os.path.join(home, "Desktop", "mine.txt"), "w") as f:
                f.write("the user's own file\n")
            before = snapshot(home)
            prefix = os.path.join(work, "prefix")
            clean = {k: v for k, v in os.environ.items() if not k.startswith(("VARNEL_", "WINE"))}
            env = {**clean, "HOME": home, "WINEPREFIX": prefix, "XDG_CONFIG_HOME": os.path.join(home, ".config"),
                   "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
                   "XDG_CACHE_HOME": os.path.join(home, ".cache")}
            # What the main job does there: something saved to the Desktop.
            run = subprocess.run(["bash", os.path.join(ROOT, "scripts", "with-display.sh"),
                                  os.path.join(ROOT, "scripts", "wine-run.sh"), "cmd.exe", "/c", "mkdir",
                                  "%USERPROFILE%\\Desktop\\saved-here"],
                                 env=env, capture_output=True, text=True, timeout=600)
            self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
            self.assertEqual(snapshot(home), before)
            users = os.path.join(prefix, "drive_c", "users")
            desktops = [os.path.join(users, u, "Desktop") for u in os.listdir(users)
                        if os.path.isdir(os.path.join(users, u, "Desktop", "saved-here"))]
            self.assertEqual(len(desktops), 1, os.listdir(users))
            self.assertFalse(os.path.islink(desktops[0]))
            for here, dirs, files in os.walk(users):
                for name in dirs + files:
                    path = os.path.join(here, name)
                    if os.path.islink(path):
                        self.assertTrue(os.path.realpath(path).startswith(prefix + os.sep), path)


class TestTwoMonitors(unittest.TestCase):
    """The display of two monitors: the layout asked for, or exit 3 with the reason; no server left behind."""

    def run_script(self, *args):
        command = ["sh", "-c", 'echo "$DISPLAY"; xdpyinfo -ext XINERAMA | sed -n "s/^ *head #[0-9]*: //p"']
        return subprocess.run(["bash", os.path.join(ROOT, "scripts", "with-two-monitors.sh"), *args, *command],
                              capture_output=True, text=True, timeout=120)

    def test_layouts(self):
        first = self.run_script()
        if first.returncode == 3:
            self.skipTest(first.stderr.strip())
        rows = [
            # (arguments, heads as Xinerama reports them: the primary first)
            ((), ["1280x1024 @ 0,0", "1024x768 @ 1280,0"]),
            (("--side", "left"), ["1280x1024 @ 1024,0", "1024x768 @ 0,0"]),
            (("--primary=800x600", "--second=800x600", "--side=above"), ["800x600 @ 0,600", "800x600 @ 0,0"]),
        ]
        for args, heads in rows:
            with self.subTest(args=args):
                run = first if not args else self.run_script(*args)
                self.assertEqual(run.returncode, 0, run.stderr)
                display, *got = run.stdout.split("\n")[:-1]
                self.assertEqual(got, heads)
                self.assertFalse(os.path.exists(f"/tmp/.X{display[1:]}-lock"), "the server is still running")

    def test_layout_not_made(self):
        # The dummy driver shows no mode under 128 lines and falls back to one of its own.
        run = self.run_script("--primary", "640x100")
        self.assertEqual(run.returncode, 3, run.stdout)
        self.assertRegex(run.stderr, r"^with-two-monitors: .*640x100.*\n$")
        self.assertEqual(run.stdout, "")


def write_gtest_xml(result, path, name):
    suites = ET.Element("testsuites", tests=str(result.testsRun), failures=str(len(result.failures)),
                        errors=str(len(result.errors)))
    suite = ET.SubElement(suites, "testsuite", name=name)
    bad = {id(t): msg for t, msg in result.failures + result.errors}
    skipped = {id(t): why for t, why in result.skipped}
    for test in result.ran:
        case = ET.SubElement(suite, "testcase", classname=type(test).__name__, name=test._testMethodName)
        if id(test) in bad:
            ET.SubElement(case, "failure", message="failed").text = bad[id(test)]
        elif id(test) in skipped:
            ET.SubElement(case, "skipped", message=skipped[id(test)])
    ET.ElementTree(suites).write(path)


class Recording(unittest.TextTestResult):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.ran = []

    def startTest(self, test):
        super().startTest(test)
        self.ran.append(test)


def run_as_test_program(module, name):
    """Runs a module's tests and reports them as GoogleTest would, as program `name`."""
    tests = unittest.defaultTestLoader.loadTestsFromModule(module)
    result = unittest.TextTestRunner(resultclass=Recording, verbosity=2).run(tests)
    target = os.environ.get("GTEST_OUTPUT", "")
    if target.startswith("xml:"):
        folder = target[4:]
        os.makedirs(folder, exist_ok=True)
        write_gtest_xml(result, os.path.join(folder, name + ".xml"), name)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(run_as_test_program(sys.modules[__name__], "script_tests"))
