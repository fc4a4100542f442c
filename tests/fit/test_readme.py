"""Every example of tavrel-fit in the README runs as shown: each ```console block whose lines
start with "$ tavrel-fit" is run from the repository's root, and each command must print
exactly the lines that follow it, up to the next command or the block's end."""

import re, shlex, subprocess, sys

FIT, ROOT = sys.argv[1], sys.argv[2]
blocks = re.findall(r"^```console\n(.*?)^```$", open(f"{ROOT}/README.md").read(), re.M | re.S)
runs = [re.findall(r"^\$ (.*)\n((?:(?!\$ ).*\n)*)", block, re.M) for block in blocks]
runs = [run for run in runs if run and all(cmd.startswith("tavrel-fit ") for cmd, _ in run)]
failed = 0
for command, shown in (pair for run in runs for pair in run):
    words = shlex.split(command)
    done = subprocess.run([FIT, *words[1:]], cwd=ROOT, capture_output=True, text=True, timeout=60)
    if done.stdout != shown:
        failed += 1
        print(f"FAIL $ {command}\n--- shown\n{shown}--- printed\n{done.stdout}{done.stderr}")
passed = sum(map(len, runs)) - failed
print(f"{len(runs)} blocks; {passed} passed, {failed} failed")
sys.exit(1 if failed or len(runs) < 6 else 0)
