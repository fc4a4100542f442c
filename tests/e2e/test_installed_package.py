#!/usr/bin/python3
"""The Debian package: what it holds, what it depends on, and the program it installs.

Run: /usr/bin/python3 test_installed_package.py SOURCE_DIR PACKAGE_BUILD_DIR [unittest args]

The package is built the way a packager builds it: SOURCE_DIR configured in PACKAGE_BUILD_DIR
with -DCMAKE_INSTALL_PREFIX=/usr (Release, no tests), built, and packed by `cpack -G DEB`.
TAVREL_DEB=path/to/package.deb tests a ready package instead.

Installing needs root (CI runs as root on a throw-away machine): the package is installed
with `dpkg -i`, the installed /usr/bin/tavrel-counter is started under Xvfb, and its position
and text files must land in the per-user data folder of the user who runs it, root included,
never in /usr/bin. The package is removed at the end. Without root those tests are skipped
and the script exits with 77, which ctest reports as skipped.
"""

import configparser
import hashlib
import os
import pwd
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PACKAGE = "tavrel-counter"
INSTALLED_EXECUTABLE = "/usr/bin/tavrel-counter"
# What QStandardPaths::AppDataLocation gives for the program's application name, under HOME.
DATA_FOLDER = os.path.join(".local", "share", "tavrel-counter")
STATE_FILES = ("cord", "test")
# Debian 12's Qt 6 runtime (libqt6gui6 also holds the xcb platform plugin), the X client
# library the program calls directly, and the font it draws its captions with.
REQUIRED_DEPENDS = ("libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6svg6", "libxcb1",
                    "fonts-roboto-unhinted")
XML_LANG = "{http://www.w3.org/XML/1998/namespace}lang"
UNPRIVILEGED_USER = "nobody"

SOURCE_DIR = None
BUILD_DIR = None
DEB = None  # the package under test, set by setUpModule


def run(argv, timeout=120, **kwargs):
    """Runs argv and returns its standard output; a failure carries the whole output."""
    done = subprocess.run(argv, capture_output=True, timeout=timeout, **kwargs)
    if done.returncode != 0:
        raise AssertionError(f"{' '.join(argv)} failed ({done.returncode}):\n"
                             f"{done.stdout.decode(errors='replace')[-4000:]}\n"
                             f"{done.stderr.decode(errors='replace')[-4000:]}")
    return done.stdout.decode("utf-8", "replace")


def project_fact(pattern):
    """A value from the top-level CMakeLists.txt, the one place it is set."""
    with open(os.path.join(SOURCE_DIR, "CMakeLists.txt"), encoding="utf-8") as f:
        match = re.search(pattern, f.read())
    if not match:
        raise AssertionError(f"{pattern!r} not found in the top-level CMakeLists.txt")
    return match.group(1)


def home_page():
    return project_fact(r'set\(TAVREL_HOME_PAGE\s+"([^"]+)"\)')


def project_version():
    return project_fact(r"project\(\s*TavrelCounter\s+VERSION\s+([0-9.]+)")


def build_package():
    """Configures, builds and packs a /usr build; returns the .deb's path."""
    # A build that already installs into /usr (the test suite's own) is packed as it is.
    if os.environ.get("TAVREL_PACK_BUILT") != "1":
        generator = ["-G", "Ninja"] if shutil.which("ninja") else []
        run(["cmake", "-S", SOURCE_DIR, "-B", BUILD_DIR, *generator,
             "-DCMAKE_INSTALL_PREFIX=/usr", "-DTAVREL_BUILD_TESTS=OFF",
             "-DCMAKE_BUILD_TYPE=Release"], timeout=300)
        run(["cmake", "--build", BUILD_DIR], timeout=840)
    for name in os.listdir(BUILD_DIR):
        if name.endswith(".deb"):
            os.remove(os.path.join(BUILD_DIR, name))
    out = run(["cpack", "-G", "DEB"], cwd=BUILD_DIR, timeout=300)
    match = re.search(r"package: (\S+\.deb) generated", out)
    if not match:
        raise AssertionError(f"cpack named no .deb:\n{out}")
    return match.group(1)


def setUpModule():
    global DEB
    DEB = os.environ.get("TAVREL_DEB") or build_package()
    if not os.path.isfile(DEB):
        raise AssertionError(f"no package at {DEB}")
    print(f"\npackage under test: {DEB}", file=sys.stderr)


def read_desktop_entry(path):
    parser = configparser.ConfigParser(interpolation=None, strict=True)
    parser.optionxform = str  # keys are case-sensitive: Name, Name[it]
    with open(path, encoding="utf-8") as f:
        parser.read_file(f)
    return parser["Desktop Entry"]


def depends_field(deb):
    """{package name: version constraint or ""} of the Depends field."""
    field = run(["dpkg-deb", "--field", deb, "Depends"]).strip()
    result = {}
    for item in filter(None, (part.strip() for part in field.split(","))):
        match = re.fullmatch(r"([a-z0-9][a-z0-9+.-]+)(?::\w+)?\s*(?:\((.+)\))?", item)
        if not match:
            raise AssertionError(f"cannot read the dependency {item!r} in {field!r}")
        result[match.group(1)] = match.group(2) or ""
    return result


class PackageContentsTest(unittest.TestCase):
    """The package as dpkg sees it, and its desktop metadata read from the unpacked tree."""

    @classmethod
    def setUpClass(cls):
        cls.root = tempfile.mkdtemp(prefix="tavrel-deb-")
        run(["dpkg-deb", "-x", DEB, cls.root])
        cls.files = {line.split()[-1].lstrip(".") for line in
                     run(["dpkg-deb", "-c", DEB]).splitlines() if line.startswith("-")}
        apps = [name for name in cls.files if name.startswith("/usr/share/applications/")]
        if len(apps) != 1:
            raise AssertionError(f"expected one desktop entry, the package holds {apps}")
        cls.desktop_path = apps[0]
        cls.app_id = os.path.basename(cls.desktop_path)[:-len(".desktop")]
        cls.entry = read_desktop_entry(cls.root + cls.desktop_path)
        cls.metainfo_path = f"/usr/share/metainfo/{cls.app_id}.metainfo.xml"

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.root, ignore_errors=True)

    def metainfo(self):
        self.assertIn(self.metainfo_path, self.files)
        return ElementTree.parse(self.root + self.metainfo_path).getroot()

    def test_holds_the_executable_entry_icon_and_metainfo_under_usr(self):
        expected = {INSTALLED_EXECUTABLE, self.desktop_path, self.metainfo_path,
                    f"/usr/share/icons/hicolor/scalable/apps/{self.entry['Icon']}.svg"}
        self.assertLessEqual(expected, self.files)
        strays = [name for name in self.files
                  if not name.startswith(("/usr/bin/", "/usr/share/"))]
        self.assertEqual(strays, [], "files outside /usr/bin and /usr/share")
        mode = os.stat(self.root + INSTALLED_EXECUTABLE).st_mode
        self.assertTrue(mode & 0o111, "the executable is not executable")

    def test_control_fields(self):
        fields = {name: run(["dpkg-deb", "--field", DEB, name]).strip()
                  for name in ("Package", "Version", "Section", "Maintainer", "Homepage",
                               "Architecture")}
        self.assertEqual(fields, {
            "Package": PACKAGE,
            "Version": project_version(),
            "Section": "utils",
            "Maintainer": "Tavrel Counter developers <maintainers@tavrel.example>",
            "Homepage": home_page(),
            "Architecture": run(["dpkg", "--print-architecture"]).strip(),
        })

    def test_depends_on_debians_qt6_runtime_and_the_font(self):
        depends = depends_field(DEB)
        print(f"\nDepends: {depends}", file=sys.stderr)
        missing = [name for name in REQUIRED_DEPENDS if name not in depends]
        self.assertEqual(missing, [], f"not in Depends: {depends}")
        self.assertRegex(depends["libqt6core6"], r"^>= 6\.", "Qt Core needs a 6.x minimum")
        self.assertFalse([name for name in depends if name.endswith("-dev")],
                         "a development package is a run-time dependency")
        # Every dependency names a real package: this machine built the program, so it has
        # each of them installed.
        for name in depends:
            with self.subTest(dependency=name):
                status = subprocess.run(["dpkg-query", "-W", "-f=${Status}", name],
                                        capture_output=True, text=True).stdout
                self.assertIn("install ok installed", status)

    def test_desktop_entry_names_and_comments_in_english_and_italian(self):
        entry = self.entry
        self.assertEqual(entry["Type"], "Application")
        self.assertEqual(entry["Name"], "Tavrel Counter")
        for key in ("Name[it]", "GenericName", "GenericName[it]", "Comment", "Comment[it]"):
            self.assertTrue(entry.get(key, "").strip(), f"{key} is missing or empty")
        self.assertNotEqual(entry["GenericName"], entry["GenericName[it]"])
        self.assertNotEqual(entry["Comment"], entry["Comment[it]"])
        self.assertIn("Utility", entry["Categories"].split(";"))
        self.assertEqual(entry["Terminal"], "false")

    def test_desktop_entry_starts_and_shows_what_the_package_installs(self):
        entry = self.entry
        command = entry["Exec"].split()[0]
        self.assertEqual(os.path.join("/usr/bin", command), INSTALLED_EXECUTABLE,
                         "Exec must name the installed executable on PATH")
        self.assertEqual(entry.get("TryExec", command), command)
        icon = f"/usr/share/icons/hicolor/scalable/apps/{entry['Icon']}.svg"
        self.assertIn(icon, self.files, "Icon names no installed icon")
        svg = ElementTree.parse(self.root + icon).getroot()
        self.assertEqual(svg.tag, "{http://www.w3.org/2000/svg}svg")
        # Qt's xcb platform names a window's class after the application name; a desktop
        # shell ties the window to this entry through StartupWMClass.
        self.assertEqual(entry["StartupWMClass"], "tavrel-counter")

    def test_metainfo_describes_this_package(self):
        root = self.metainfo()
        self.assertEqual(root.get("type"), "desktop-application")
        self.assertEqual(root.findtext("id"), self.app_id)
        launchable = root.find("launchable")
        self.assertEqual(launchable.get("type"), "desktop-id")
        self.assertEqual(launchable.text, os.path.basename(self.desktop_path))
        self.assertEqual(root.findtext("metadata_license"), "CC0-1.0")
        self.assertEqual(root.findtext("project_license"), "LicenseRef-proprietary")
        self.assertEqual(root.findtext("developer_name"), "Tavrel Counter developers")
        self.assertEqual(root.findtext("name"), "Tavrel Counter")
        self.assertEqual(root.findtext("url[@type='homepage']"), home_page())
        self.assertEqual([r.get("version") for r in root.iter("release")], [project_version()])
        self.assertEqual(root.findtext("provides/binary"),
                         os.path.basename(INSTALLED_EXECUTABLE))
        self.assertIsNotNone(root.find("content_rating"))

    def test_metainfo_summary_and_description_in_english_and_italian(self):
        root = self.metainfo()
        for tag in ("summary", "description/p", "description/ul/li"):
            with self.subTest(element=tag):
                by_language = {}
                for element in root.findall(tag):
                    by_language.setdefault(element.get(XML_LANG), []).append(
                        " ".join(element.itertext()).strip())
                self.assertEqual(sorted(by_language, key=str), [None, "it"])
                self.assertEqual(len(by_language[None]), len(by_language["it"]),
                                 "every English text has its Italian translation")
                self.assertTrue(all(by_language[None]) and all(by_language["it"]))

    def test_metadata_validators_accept_the_unpacked_tree(self):
        run(["desktop-file-validate", self.root + self.desktop_path])
        run(["appstreamcli", "validate-tree", "--no-net", self.root])


def file_identity(path):
    """Inode, size, modification time and content of a file; None when it is missing."""
    if not os.path.lexists(path):
        return None
    info = os.lstat(path)
    with open(path, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    return info.st_ino, info.st_size, info.st_mtime_ns, digest


def kill_program(proc):
    if proc is None or proc.poll() is not None:
        return
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(proc.pid, sig)
        except ProcessLookupError:
            return
        try:
            proc.wait(timeout=5)
            return
        except subprocess.TimeoutExpired:
            continue


@unittest.skipUnless(os.geteuid() == 0, "installing the package needs root (CI runs as root)")
class InstalledProgramTest(unittest.TestCase):
    """The package installed with dpkg, its program run under Xvfb by root and by a user."""

    @classmethod
    def setUpClass(cls):
        installed = subprocess.run(["dpkg-query", "-W", "-f=${Status}", PACKAGE],
                                   capture_output=True, text=True).stdout
        if "installed" in installed.split() or os.path.lexists(INSTALLED_EXECUTABLE):
            raise unittest.SkipTest(f"{PACKAGE} is already installed on this machine; "
                                    "this test installs and removes it, remove it first")
        cls.addClassCleanup(cls.remove_package)
        run(["dpkg", "-i", DEB], timeout=300,
            env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
        cls.installed_files = [path for path in run(["dpkg", "-L", PACKAGE]).splitlines()
                               if os.path.isfile(path)]
        cls.session = harness.Session(INSTALLED_EXECUTABLE, name="installed-package",
                                      start_program=False)
        cls.session.__enter__()
        cls.addClassCleanup(cls.session.__exit__, None, None, None)

    @classmethod
    def remove_package(cls):
        run(["dpkg", "--purge", PACKAGE], timeout=300)
        left = [path for path in getattr(cls, "installed_files", [INSTALLED_EXECUTABLE])
                if os.path.lexists(path)]
        if left:
            raise AssertionError(f"still there after removing the package: {left}")

    def test_installs_the_files_of_the_package(self):
        self.assertIn(INSTALLED_EXECUTABLE, self.installed_files)
        self.assertTrue(os.access(INSTALLED_EXECUTABLE, os.X_OK))
        self.assertEqual(self.installed_entry()["Exec"].split()[0],
                         os.path.basename(INSTALLED_EXECUTABLE))
        self.assertEqual(shutil.which(os.path.basename(INSTALLED_EXECUTABLE),
                                      path="/usr/local/bin:/usr/bin:/bin"),
                         INSTALLED_EXECUTABLE, "Exec does not find the installed program")

    def setUp(self):
        # The state files must never be written beside the installed executable. /usr/bin
        # has its own "test" (coreutils): it must stay exactly what it is, and a faulty
        # program that replaced it gets it back at the end.
        self.assertFalse(os.path.lexists("/usr/bin/cord"), "/usr/bin/cord exists already")
        self.tmp = tempfile.mkdtemp(prefix="tavrel-installed-")
        os.chmod(self.tmp, 0o755)  # the unprivileged user reaches its home through it
        self.addCleanup(shutil.rmtree, self.tmp, ignore_errors=True)
        self.usr_bin_test = file_identity("/usr/bin/test")
        self.usr_bin_test_copy = os.path.join(self.tmp, "usr-bin-test")
        shutil.copy2("/usr/bin/test", self.usr_bin_test_copy)
        self.addCleanup(self.repair_usr_bin)
        self.proc = None
        self.addCleanup(lambda: kill_program(self.proc))

    def repair_usr_bin(self):
        if os.path.lexists("/usr/bin/cord"):
            os.remove("/usr/bin/cord")
        if file_identity("/usr/bin/test") != self.usr_bin_test:
            shutil.copy2(self.usr_bin_test_copy, "/usr/bin/.test.tavrel-repair")
            os.replace("/usr/bin/.test.tavrel-repair", "/usr/bin/test")

    def start(self, user=None):
        """Starts the installed program as root or as user, with a fresh HOME and working
        folder; returns (home, working folder, stderr log path)."""
        home = os.path.join(self.tmp, "home")
        work = os.path.join(self.tmp, "work")
        os.mkdir(home, 0o700)
        os.mkdir(work, 0o755)
        env = dict(self.session.env, HOME=home, QT_QPA_PLATFORM="xcb")
        env.pop("XDG_DATA_HOME", None)
        prefix = []
        if user is not None:
            account = pwd.getpwnam(user)
            os.chown(home, account.pw_uid, account.pw_gid)
            # The session's runtime folder and D-Bus belong to root; the user has neither.
            env.pop("XDG_RUNTIME_DIR", None)
            env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=/nonexistent"
            env["USER"] = env["LOGNAME"] = user
            prefix = ["setpriv", f"--reuid={account.pw_uid}", f"--regid={account.pw_gid}",
                      "--clear-groups", "--"]
        log_path = os.path.join(self.tmp, "program-stderr.txt")
        with open(log_path, "wb") as log:
            self.proc = subprocess.Popen([*prefix, INSTALLED_EXECUTABLE], env=env, cwd=work,
                                         stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                         start_new_session=True)
        return home, work, log_path

    def installed_entry(self):
        entries = [path for path in self.installed_files
                   if path.startswith("/usr/share/applications/")]
        self.assertEqual(len(entries), 1, entries)
        return read_desktop_entry(entries[0])

    def program_output(self, log_path):
        with open(log_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def wait_for_state_files(self, folder, log_path):
        def present():
            if os.path.lexists("/usr/bin/cord"):
                raise AssertionError("the installed program wrote cord into /usr/bin")
            if self.proc.poll() is not None:
                raise AssertionError(f"the program ended with {self.proc.returncode}")
            return all(os.path.isfile(os.path.join(folder, name)) for name in STATE_FILES)
        try:
            harness.wait_for(present, timeout=20, what=f"cord and test in {folder}")
        except AssertionError as error:
            raise AssertionError(f"{error}\nthe program's output:\n"
                                 f"{self.program_output(log_path)}") from None

    def check_files_go_to_the_data_folder(self, user=None):
        home, work, log_path = self.start(user)
        win = self.session.find_window(harness.MAIN, timeout=20)
        data = os.path.join(home, DATA_FOLDER)
        self.wait_for_state_files(data, log_path)
        print(f"\n{user or 'root'}: state files in {data}: {sorted(os.listdir(data))}",
              file=sys.stderr)

        for folder in (work, home):
            for name in STATE_FILES:
                self.assertFalse(os.path.lexists(os.path.join(folder, name)),
                                 f"{name} was written into {folder}")
        self.assertFalse(os.path.lexists("/usr/bin/cord"), "cord was written into /usr/bin")
        self.assertEqual(file_identity("/usr/bin/test"), self.usr_bin_test,
                         "/usr/bin/test was replaced")
        # The position file holds whole numbers of twips, one a line.
        with open(os.path.join(data, "cord"), "rb") as f:
            lines = f.read().split(b"\r\n")
        self.assertGreaterEqual(len(lines), 6, lines)
        for line in lines[:6]:
            self.assertRegex(line.decode("ascii"), r"^-?\d+$")
        if user is not None:
            owner = pwd.getpwuid(os.stat(os.path.join(data, "cord")).st_uid).pw_name
            self.assertEqual(owner, user)

        # The running window's class ties it to the installed desktop entry.
        out = subprocess.run(["xprop", "-id", str(win), "WM_CLASS"], env=self.session.env,
                             capture_output=True, text=True, timeout=10).stdout
        self.assertIn(self.installed_entry()["StartupWMClass"], re.findall(r'"([^"]*)"', out),
                      "the window's WM_CLASS does not match the entry's StartupWMClass")

        self.assertIsNone(self.proc.poll(), "the program ended by itself")
        kill_program(self.proc)

    def test_run_as_root_keeps_its_files_in_roots_data_folder(self):
        self.check_files_go_to_the_data_folder()

    def test_run_as_a_user_keeps_its_files_in_the_users_data_folder(self):
        self.check_files_go_to_the_data_folder(UNPRIVILEGED_USER)


def main():
    global SOURCE_DIR, BUILD_DIR
    if len(sys.argv) < 3 or sys.argv[1].startswith("-") or sys.argv[2].startswith("-"):
        sys.exit(f"usage: {sys.argv[0]} SOURCE_DIR PACKAGE_BUILD_DIR [unittest arguments]")
    SOURCE_DIR = os.path.abspath(sys.argv[1])
    BUILD_DIR = os.path.abspath(sys.argv[2])
    program = unittest.main(module="__main__", argv=[sys.argv[0], *sys.argv[3:]],
                            verbosity=2, exit=False)
    result = program.result
    if not result.wasSuccessful():
        sys.exit(1)
    sys.exit(77 if result.skipped else 0)


if __name__ == "__main__":
    main()
