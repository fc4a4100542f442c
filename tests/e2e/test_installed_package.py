"""The .deb of BUILD_DIR (configured for /usr); its programs installed by dpkg (root, else 77)."""

import os, re, subprocess, sys, unittest

import harness

PROGRAM = "/usr/bin/tavrel-counter"


def run(argv, **kwargs):
    done = subprocess.run(argv, capture_output=True, timeout=900, text=True, **kwargs)
    assert done.returncode == 0, f"{argv}:\n{done.stdout[-4000:]}\n{done.stderr[-4000:]}"
    return done.stdout


class PackageTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.deb = re.search(r"package: (\S+\.deb) generated",
                            run(["cpack", "-G", "DEB"], cwd=sys.argv[1])).group(1)

    def test_contents(self):
        files = set(re.findall(r"(?m)^-.* \.(/\S+)$", run(["dpkg-deb", "-c", self.deb])))
        self.assertLessEqual({PROGRAM, "/usr/bin/tavrel-fit"}, files)
        self.assertFalse({f for f in files if not f.startswith(("/usr/bin/", "/usr/share/"))})

    @unittest.skipUnless(os.geteuid() == 0, "installing the package needs root")
    def test_installed_programs(self):
        self.assertFalse(os.path.lexists(PROGRAM), "tavrel-counter is installed already")
        self.addCleanup(run, ["dpkg", "--purge", "tavrel-counter"])
        run(["dpkg", "-i", self.deb], env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
        self.assertIn("usage: tavrel-fit", run(["/usr/bin/tavrel-fit", "--help"]))
        with harness.Session(PROGRAM, name="installed", start=False) as session:
            session.program_path = PROGRAM  # run where dpkg put it, by an unprivileged user
            session.start_program(nobody=True)
            data = f"{session.home}/.local/share/tavrel-counter"
            harness.wait_for(lambda: os.path.isfile(f"{data}/cord") and
                             os.path.isfile(f"{data}/test"), 20, f"files in {data}")
            self.assertEqual(os.stat(f"{data}/cord").st_uid, harness.NOBODY)
            self.assertIsNone(session.program.poll())


if __name__ == "__main__":
    result = unittest.main(argv=sys.argv[:1] + sys.argv[2:], verbosity=2, exit=False).result
    sys.exit(1 if not result.wasSuccessful() else 77 if result.skipped else 0)
