#!/usr/bin/python3
"""The Debian package: what it holds, what it depends on, and the program it installs.

Run: /usr/bin/python3 test_installed_package.py SOURCE_DIR PACKAGE_BUILD_DIR [unittest args]

SOURCE_DIR is configured in PACKAGE_BUILD_DIR for /usr (Release, no tests), built and packed
with `cpack -G DEB`; with TAVREL_PACK_BUILT=1 the build there is packed as it stands, and
TAVREL_DEB=path/to/package.deb tests a ready package. Installing needs root: the package is
installed with `dpkg -i`, /usr/bin/tavrel-counter runs under Xvfb as root and as an
unprivileged user, its files must land in that user's data folder, and the package is purged
at the end. Without root those tests are skipped and the script exits with 77.
"""

import configparser
import os
import pwd
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PACKAGE = "tavrel-counter"
INSTALLED = "/usr/bin/tavrel-counter"
DATA_FOLDER = os.path.join(".local", "share", "tavrel-counter")  # AppDataLocation under HOME
# Debian 12's Qt 6 runtime (libqt6gui6 holds the xcb plugin), libxcb and the captions' font.
REQUIRED_DEPENDS = ("libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6svg6", "libxcb1",
                    "fonts-roboto-unhinted")
XML_LANG = "{http://www.w3.org/XML/1998/namespace}lang"
DEB = None


def run(argv, timeout=120, **kwargs):
    """Runs argv and returns its standard output; a failure carries the whole output."""
    done = subprocess.run(argv, capture_output=True, timeout=timeout, **kwargs)
    if done.returncode != 0:
        raise AssertionError(f"{' '.join(argv)} failed ({done.returncode}):\n"
                             f"{done.stdout.decode(errors='replace')[-4000:]}\n"
                             f"{done.stderr.decode(errors='replace')[-4000:]}")
    return done.stdout.decode("utf-8", "replace")


def setUpModule():
    global DEB
    DEB = os.environ.get("TAVREL_DEB")
    if not DEB:
        if os.environ.get("TAVREL_PACK_BUILT") != "1":
            run(["cmake", "-S", SOURCE_DIR, "-B", BUILD_DIR, "-G", "Ninja",
                 "-DCMAKE_INSTALL_PREFIX=/usr", "-DTAVREL_BUILD_TESTS=OFF",
                 "-DCMAKE_BUILD_TYPE=Release"], timeout=300)
            run(["cmake", "--build", BUILD_DIR], timeout=840)
        for stale in (name for name in os.listdir(BUILD_DIR) if name.endswith(".deb")):
            os.remove(os.path.join(BUILD_DIR, stale))
        out = run(["cpack", "-G", "DEB"], cwd=BUILD_DIR, timeout=300)
        DEB = re.search(r"package: (\S+\.deb) generated", out).group(1)
    if not os.path.isfile(DEB):
        raise AssertionError(f"no package at {DEB}")
    print(f"\npackage under test: {DEB}", file=sys.stderr)


def desktop_entry(path):
    parser = configparser.ConfigParser(interpolation=None, strict=True)
    parser.optionxform = str  # keys are case-sensitive: Name, Name[it]
    with open(path, encoding="utf-8") as f:
        parser.read_file(f)
    return parser["Desktop Entry"]


class PackageContentsTest(unittest.TestCase):
    """The package as dpkg sees it, and its desktop metadata read from the unpacked tree."""

    @classmethod
    def setUpClass(cls):
        cls.root = tempfile.mkdtemp(prefix="tavrel-deb-")
        cls.addClassCleanup(shutil.rmtree, cls.root, ignore_errors=True)
        run(["dpkg-deb", "-x", DEB, cls.root])
        cls.files = {line.split()[-1].lstrip(".") for line in
                     run(["dpkg-deb", "-c", DEB]).splitlines() if line.startswith("-")}
        [cls.desktop] = [name for name in cls.files
                         if name.startswith("/usr/share/applications/")]
        cls.app_id = os.path.basename(cls.desktop)[:-len(".desktop")]
        cls.entry = desktop_entry(cls.root + cls.desktop)
        cls.icon = f"/usr/share/icons/hicolor/scalable/apps/{cls.entry['Icon']}.svg"
        cls.metainfo = f"/usr/share/metainfo/{cls.app_id}.metainfo.xml"

    def test_holds_the_executable_entry_icon_and_metainfo(self):
        bitmaps = {f"/usr/share/icons/hicolor/{n}x{n}/apps/{self.entry['Icon']}.png"
                   for n in (16, 24, 32, 48, 64)}
        self.assertLessEqual({INSTALLED, self.desktop, self.icon, self.metainfo} | bitmaps,
                             self.files)
        self.assertEqual([f for f in self.files if not f.startswith(("/usr/bin/", "/usr/share/"))],
                         [], "files outside /usr/bin and /usr/share")
        self.assertTrue(os.stat(self.root + INSTALLED).st_mode & 0o111)
        svg = ElementTree.parse(self.root + self.icon).getroot()
        self.assertEqual(svg.tag, "{http://www.w3.org/2000/svg}svg")

    def test_depends_on_the_installed_qt6_runtime_and_the_font(self):
        field = run(["dpkg-deb", "--field", DEB, "Depends"]).strip()
        depends = dict(re.fullmatch(r"([a-z0-9][a-z0-9+.-]+)(?::\w+)?\s*(?:\((.+)\))?",
                                    item.strip()).groups("") for item in field.split(","))
        self.assertEqual([name for name in REQUIRED_DEPENDS if name not in depends], [], field)
        self.assertRegex(depends["libqt6core6"], r"^>= 6\.")
        self.assertFalse([name for name in depends if name.endswith("-dev")], field)
        for name in depends:  # this machine built the program, so each one is installed
            status = subprocess.run(["dpkg-query", "-W", "-f=${Status}", name],
                                    capture_output=True, text=True).stdout
            self.assertIn("install ok installed", status, name)

    def test_desktop_entry_runs_and_shows_what_the_package_installs(self):
        entry = self.entry
        self.assertEqual(os.path.join("/usr/bin", entry["Exec"].split()[0]), INSTALLED)
        self.assertEqual(entry.get("TryExec", entry["Exec"].split()[0]),
                         entry["Exec"].split()[0])
        self.assertEqual(entry["StartupWMClass"], "tavrel-counter")  # Qt's xcb window class
        self.assertIn("Utility", entry["Categories"].split(";"))
        for key in ("Name", "Comment"):
            self.assertTrue(entry[key].strip() and entry[f"{key}[it]"].strip(), key)
        root = ElementTree.parse(self.root + self.metainfo).getroot()
        self.assertEqual((root.findtext("id"), root.findtext("launchable")),
                         (self.app_id, os.path.basename(self.desktop)))
        self.assertEqual(sorted({s.get(XML_LANG) for s in root.findall("summary")}, key=str),
                         [None, "it"])

    def test_metadata_validators_accept_the_unpacked_tree(self):
        run(["desktop-file-validate", self.root + self.desktop])
        run(["appstreamcli", "validate-tree", "--no-net", self.root])


def identity(path):
    """Inode, size, modification time and content of a file; None when it is missing."""
    if not os.path.lexists(path):
        return None
    with open(path, "rb") as f:
        info = os.lstat(path)
        return info.st_ino, info.st_size, info.st_mtime_ns, f.read()


@unittest.skipUnless(os.geteuid() == 0, "installing the package needs root (CI runs as root)")
class InstalledProgramTest(unittest.TestCase):
    """The package installed with dpkg, its program run under Xvfb by root and by a user."""

    @classmethod
    def setUpClass(cls):
        status = subprocess.run(["dpkg-query", "-W", "-f=${Status}", PACKAGE],
                                capture_output=True, text=True).stdout
        if "installed" in status.split() or os.path.lexists(INSTALLED):
            raise unittest.SkipTest(f"{PACKAGE} is already installed; remove it first")
        cls.addClassCleanup(cls.purge)
        run(["dpkg", "-i", DEB], timeout=300,
            env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
        cls.installed = [p for p in run(["dpkg", "-L", PACKAGE]).splitlines()
                         if os.path.isfile(p)]
        cls.session = harness.Session(INSTALLED, name="installed-package", start_program=False)
        cls.session.__enter__()
        cls.addClassCleanup(cls.session.__exit__, None, None, None)

    @classmethod
    def purge(cls):
        run(["dpkg", "--purge", PACKAGE], timeout=300)
        left = [p for p in getattr(cls, "installed", [INSTALLED]) if os.path.lexists(p)]
        if left:
            raise AssertionError(f"still there after purging the package: {left}")

    def setUp(self):
        # /usr/bin has its own "test" (coreutils): it must stay what it is, and a faulty
        # program that replaced it gets it back from a safety copy.
        self.assertFalse(os.path.lexists("/usr/bin/cord"), "/usr/bin/cord exists already")
        self.tmp = tempfile.mkdtemp(prefix="tavrel-installed-")
        os.chmod(self.tmp, 0o755)  # the unprivileged user reaches its home through it
        self.addCleanup(shutil.rmtree, self.tmp, ignore_errors=True)
        self.usr_bin_test = identity("/usr/bin/test")
        shutil.copy2("/usr/bin/test", os.path.join(self.tmp, "usr-bin-test"))
        self.addCleanup(self.repair_usr_bin)

    def repair_usr_bin(self):
        if os.path.lexists("/usr/bin/cord"):
            os.remove("/usr/bin/cord")
        if identity("/usr/bin/test") != self.usr_bin_test:
            shutil.copy2(os.path.join(self.tmp, "usr-bin-test"), "/usr/bin/.test.tavrel")
            os.replace("/usr/bin/.test.tavrel", "/usr/bin/test")

    def test_state_files_go_to_the_users_data_folder(self):
        for user in ("root", "nobody"):
            with self.subTest(user=user):
                home, work = os.path.join(self.tmp, user), os.path.join(self.tmp, f"{user}-work")
                os.mkdir(home, 0o700)
                os.mkdir(work, 0o755)
                account = pwd.getpwnam(user)
                os.chown(home, account.pw_uid, account.pw_gid)
                env = dict(self.session.env, HOME=home, QT_QPA_PLATFORM="xcb", USER=user,
                           LOGNAME=user)
                env.pop("XDG_DATA_HOME", None)
                if user != "root":  # the session's runtime folder and D-Bus belong to root
                    env.pop("XDG_RUNTIME_DIR")
                    env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=/nonexistent"
                with open(os.path.join(self.tmp, f"{user}-stderr.txt"), "w+b") as log:
                    proc = subprocess.Popen(
                        ["setpriv", f"--reuid={account.pw_uid}", f"--regid={account.pw_gid}",
                         "--clear-groups", "--", INSTALLED], env=env, cwd=work,
                        stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                        start_new_session=True)
                    try:
                        self.check_state_files(proc, os.path.join(home, DATA_FOLDER), user, log)
                    finally:
                        harness._kill_group(proc)
                for folder in (work, home):
                    self.assertFalse({"cord", "test"} & set(os.listdir(folder)), folder)
                self.assertFalse(os.path.lexists("/usr/bin/cord"), "cord went into /usr/bin")
                self.assertEqual(identity("/usr/bin/test"), self.usr_bin_test,
                                 "/usr/bin/test was replaced")

    def check_state_files(self, proc, data, user, log):
        win = self.session.find_window(harness.MAIN, timeout=20)

        def present():
            if os.path.lexists("/usr/bin/cord") or proc.poll() is not None:
                log.seek(0)
                raise AssertionError(f"cord in /usr/bin, or the program ended ({proc.poll()}):"
                                     f"\n{log.read().decode(errors='replace')}")
            return all(os.path.isfile(os.path.join(data, name)) for name in ("cord", "test"))
        harness.wait_for(present, timeout=20, what=f"cord and test in {data}")
        with open(os.path.join(data, "cord"), "rb") as f:
            lines = f.read().split(b"\r\n")
        self.assertTrue(len(lines) >= 6 and all(re.fullmatch(rb"-?\d+", n) for n in lines[:6]),
                        lines)
        self.assertEqual(pwd.getpwuid(os.stat(os.path.join(data, "cord")).st_uid).pw_name, user)
        # The running window's class ties it to the installed desktop entry.
        self.assertIn('"tavrel-counter"', self.session.prop(win, "WM_CLASS"))
        self.assertIsNone(proc.poll(), "the program ended by itself")


def main():
    global SOURCE_DIR, BUILD_DIR
    if len(sys.argv) < 3 or sys.argv[1].startswith("-") or sys.argv[2].startswith("-"):
        sys.exit(f"usage: {sys.argv[0]} SOURCE_DIR PACKAGE_BUILD_DIR [unittest arguments]")
    SOURCE_DIR, BUILD_DIR = map(os.path.abspath, sys.argv[1:3])
    result = unittest.main(module="__main__", argv=[sys.argv[0], *sys.argv[3:]],
                           verbosity=2, exit=False).result
    sys.exit(1 if not result.wasSuccessful() else 77 if result.skipped else 0)


if __name__ == "__main__":
    main()
