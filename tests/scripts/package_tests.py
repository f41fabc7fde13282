#!/usr/bin/env python3
"""The downloads that scripts/package.sh makes, run by CTest in the native
preset: what the zips hold, and that the same sources give the same bytes,
built a second time from a copy of the sources in another folder.

Reports as GoogleTest does (see script_tests.py).
"""
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DOCS = ["Readme.txt", "LICENSE", "THIRD-PARTY-NOTICES.txt"]
MACHINE = {"win32": 0x14C, "win64": 0x8664}


def missing_tools():
    """Why the packages cannot be built here, or None."""
    for tool in ("i686-w64-mingw32-g++-posix", "x86_64-w64-mingw32-g++-posix"):
        if not shutil.which(tool):
            return f"{tool} not found (scripts/setup.sh installs it)"
    for triplet in ("i686-w64-mingw32", "x86_64-w64-mingw32"):
        if not os.path.exists(os.path.join(ROOT, "build", "third_party", triplet, "lib", "libturbojpeg.a")):
            return f"no libjpeg-turbo for {triplet} (scripts/build-libjpeg-turbo-mingw.sh builds it)"
        if not os.path.exists(os.path.join(ROOT, "build", "third_party", triplet, "lib", "libdeflate.a")):
            return f"no libdeflate for {triplet} (scripts/build-libdeflate.sh builds it)"
    return None


def package(source, epoch):
    """Runs scripts/package.sh in `source`; returns {name: bytes} of dist/ and the test installer."""
    subprocess.run(["bash", "scripts/package.sh"], cwd=source, check=True, stdout=subprocess.DEVNULL,
                   env={**os.environ, "SOURCE_DATE_EPOCH": str(epoch)})
    files = {}
    for folder in ("dist", os.path.join("build", "package")):
        for name in os.listdir(os.path.join(source, folder)):
            path = os.path.join(source, folder, name)
            if os.path.isfile(path) and name.startswith(("Varnel-", "SHA256SUMS")):
                with open(path, "rb") as f:
                    files[name] = f.read()
    return files


def copy_sources(to):
    """The working tree's files (tracked or new, not ignored), and the cached libjpeg-turbo."""
    names = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"], cwd=ROOT,
                           check=True, capture_output=True).stdout.decode().split("\0")
    for name in filter(None, names):
        source = os.path.join(ROOT, name)
        if os.path.isfile(source):
            os.makedirs(os.path.dirname(os.path.join(to, name)), exist_ok=True)
            shutil.copy2(source, os.path.join(to, name))
    os.makedirs(os.path.join(to, "build"))
    os.symlink(os.path.join(ROOT, "build", "third_party"), os.path.join(to, "build", "third_party"))


def pe_header(exe):
    """(machine, time stamp, symbol count) from the COFF header."""
    at = struct.unpack_from("<I", exe, 0x3C)[0]
    assert exe[at:at + 4] == b"PE\0\0"
    machine, _, stamp, _, symbols = struct.unpack_from("<HHIII", exe, at + 4)
    return machine, stamp, symbols


class TestPackages(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.why_not = missing_tools()
        if cls.why_not:
            return
        cls.epoch = int(subprocess.run(["git", "log", "-1", "--format=%ct"], cwd=ROOT, check=True,
                                       capture_output=True, text=True).stdout)
        cls.built = package(ROOT, cls.epoch)
        cls.version = next(n.split("-")[1] for n in cls.built if n.endswith("-win64.zip"))
        cls.has_installer = shutil.which("makensis") is not None

    def setUp(self):
        if self.why_not:
            self.skipTest(self.why_not)

    def test_downloads(self):
        stamp = time.gmtime(self.epoch - self.epoch % 2)[:6]  # zip times count in 2 s steps
        for arch in ("win32", "win64"):
            with self.subTest(arch):
                z = zipfile.ZipFile(os.path.join(ROOT, "dist", f"Varnel-{self.version}-{arch}.zip"))
                self.assertEqual(z.namelist(), ["Varnel.exe"] + DOCS)
                for info in z.infolist():
                    self.assertEqual(info.date_time, stamp, info.filename)
                machine, exe_stamp, symbols = pe_header(z.read("Varnel.exe"))
                self.assertEqual(machine, MACHINE[arch])
                self.assertEqual(exe_stamp, self.epoch)
                self.assertEqual(symbols, 0, "not stripped")
                for doc in DOCS:
                    text = z.read(doc)
                    self.assertEqual(text.count(b"\n"), text.count(b"\r\n"), doc + ": not CRLF throughout")
                    with open(os.path.join(ROOT, doc), "rb") as f:
                        self.assertEqual(text.removeprefix(b"\xef\xbb\xbf").replace(b"\r\n", b"\n"), f.read())

        expected = sorted(n for n in self.built if n.startswith("Varnel-") and "amd64" not in n)
        self.assertEqual(expected, [f"Varnel-{self.version}-setup.exe"] * self.has_installer +
                         [f"Varnel-{self.version}-win32.zip", f"Varnel-{self.version}-win64.zip"])
        sums = [line.split("  ") for line in self.built["SHA256SUMS"].decode().splitlines()]
        self.assertEqual(sorted(name for _, name in sums), expected)
        for digest, name in sums:
            self.assertEqual(digest, hashlib.sha256(self.built[name]).hexdigest(), name)
        if not self.has_installer:
            print("makensis not found (Debian package nsis): the installer was not built or checked")

    def test_same_sources_give_the_same_bytes(self):
        with tempfile.TemporaryDirectory(prefix="varnel-package-") as elsewhere:
            copy_sources(elsewhere)
            again = package(elsewhere, self.epoch)
        self.assertEqual(sorted(again), sorted(self.built))
        for name, data in self.built.items():
            self.assertTrue(again[name] == data, f"{name} differs when built from {elsewhere}")


if __name__ == "__main__":
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    import script_tests
    sys.exit(script_tests.run_as_test_program(sys.modules[__name__], "package_tests"))
