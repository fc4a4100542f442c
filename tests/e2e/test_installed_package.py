#!/usr/bin/python3
"""The Debian package: what it holds and depends on, and its program installed by dpkg.

Run: /usr/bin/python3 test_installed_package.py SOURCE_DIR PACKAGE_BUILD_DIR [unittest args]

SOURCE_DIR is configured in PACKAGE_BUILD_DIR for /usr (Release), built and packed with
`cpack -G DEB`; TAVREL_PACK_BUILT=1 packs that build as it stands, TAVREL_DEB=file.deb tests a
ready package. Installing needs root; without it that part is skipped and the exit status is 77.
"""

import configparser
import glob
import os
import re
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

INSTALLED = "/usr/bin/tavrel-counter"
DEPENDS = {"libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6svg6", "libxcb1",
           "fonts-roboto-unhinted"}


def run(argv, timeout=900, **kwargs):
    done = subprocess.run(argv, capture_output=True, timeout=timeout, **kwargs)
    if done.returncode:
        raise AssertionError(f"{' '.join(argv)}:\n{done.stdout[-4000:]}\n{done.stderr[-4000:]}")
    return done.stdout.decode("utf-8", "replace")


def setUpModule():
    global DEB, ROOT, ENTRY
    source, build = map(os.path.abspath, sys.argv[1:3])
    DEB = os.environ.get("TAVREL_DEB")
    if not DEB:
        if os.environ.get("TAVREL_PACK_BUILT") != "1":
            run(["cmake", "-S", source, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                 "-DCMAKE_INSTALL_PREFIX=/usr", "-DTAVREL_BUILD_TESTS=OFF"])
            run(["cmake", "--build", build])
        DEB = re.search(r"package: (\S+\.deb) generated",
                        run(["cpack", "-G", "DEB"], cwd=build)).group(1)
    ROOT = tempfile.TemporaryDirectory(prefix="tavrel-deb-")
    unittest.addModuleCleanup(ROOT.cleanup)
    run(["dpkg-deb", "-x", DEB, ROOT.name])
    [desktop] = glob.glob(os.path.join(ROOT.name, "usr/share/applications/*.desktop"))
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str
    parser.read(desktop, encoding="utf-8")
    ENTRY = dict(parser["Desktop Entry"], path=desktop)


class PackageTest(unittest.TestCase):

    def test_contents_and_dependencies(self):
        files = {line.split()[-1][1:] for line in run(["dpkg-deb", "-c", DEB]).splitlines()
                 if line.startswith("-")}
        self.assertLessEqual({INSTALLED, "/usr/share/icons/hicolor/scalable/apps/"
                              f"{ENTRY['Icon']}.svg"}, files)
        self.assertEqual([f for f in files if not f.startswith(("/usr/bin/", "/usr/share/"))], [])
        self.assertEqual(os.path.join("/usr/bin", ENTRY["Exec"].split()[0]), INSTALLED)
        run(["desktop-file-validate", ENTRY["path"]])
        run(["appstreamcli", "validate-tree", "--no-net", ROOT.name])
        depends = {item.split()[0] for item in run(["dpkg-deb", "-f", DEB, "Depends"]).split(",")}
        self.assertLessEqual(DEPENDS, depends)
        self.assertFalse([name for name in depends if name.endswith("-dev")], depends)

    @unittest.skipUnless(os.geteuid() == 0, "installing the package needs root")
    def test_installed_program_keeps_its_files_in_the_users_data_folder(self):
        self.assertFalse(os.path.lexists(INSTALLED), "tavrel-counter is installed already")
        self.addCleanup(run, ["dpkg", "--purge", "tavrel-counter"])
        run(["dpkg", "-i", DEB], env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
        with harness.Session(INSTALLED, name="installed", start=False) as session:
            session.program_path = INSTALLED  # run where dpkg put it, by an unprivileged user
            session.as_nobody()
            session.start_program(prefix=harness.AS_NOBODY)
            data = os.path.join(session.home, ".local/share/tavrel-counter")
            harness.wait_for(lambda: all(os.path.isfile(os.path.join(data, name))
                                         for name in ("cord", "test")), 20, f"files in {data}")
            self.assertEqual(os.stat(os.path.join(data, "cord")).st_uid, harness.NOBODY)
            self.assertIn(f'"{ENTRY["StartupWMClass"]}"',
                          session.prop(session.find_window(harness.MAIN), "WM_CLASS"))
            self.assertIsNone(session.program.poll())


if __name__ == "__main__":
    result = unittest.main(argv=[sys.argv[0], *sys.argv[3:]], verbosity=2, exit=False).result
    sys.exit(1 if not result.wasSuccessful() else 77 if result.skipped else 0)
