#!/usr/bin/env python3
"""Runs the real curvetext binary on one golden case folder and compares.

A case folder holds `note` (what it guards; not compared), `in/` (the files
the host leaves), `out/` (every file expected afterwards, byte for byte),
`status` (as the shell sees it) and, where needed: `args` (one a line),
`make_input` (Python run in the scratch directory, for inputs too large to
keep; it may use `gen`), `same` (files expected unchanged from their input),
`stdout`/`stderr` (missing: empty), `seconds` (processor time bound, times
CURVETEXT_SLOWDOWN), `platform` (posix or windows: runs only there) and
`setup` (POSIX; a directive a line: "fsize BYTES", "close FD", "user" to run
as nobody, "mode NAME OCTAL" for NAME's permission bits afterwards).
Where a platform's result differs, `out.windows/`, `stdout.windows`,
`stderr.windows` or `status.windows` (`.posix` likewise) take the place of
`out/`, `stdout`, `stderr` or `status` there.

Usage: run_case.py --binary PATH [--runner CMD] [--skip-list FILE] [--update] [--keep] CASE_DIR
--skip-list: cases this build skips, a line "case  reason" each. --update
writes what the run gave into the case, into the platform's own file where
there is one (review it before committing).
Exit status 0 pass, 1 fail, 77 skipped.
"""

import argparse
import difflib
import os
import stat
import shlex
import shutil
import subprocess
import sys
import tempfile

SKIP = 77


def read(path):
    with open(path, "rb") as f:
        return f.read()


def snapshot(directory):
    files = {}
    for root, _dirs, names in os.walk(directory):
        for name in names:
            full = os.path.join(root, name)
            if os.path.islink(full):  # never read through a link (/dev/full)
                files[os.path.relpath(full, directory)] = b"-> " + os.readlink(full).encode()
            elif stat.S_ISFIFO(os.lstat(full).st_mode):  # never block on a FIFO
                files[os.path.relpath(full, directory)] = b"(fifo)"
            else:
                files[os.path.relpath(full, directory)] = read(full)
    return files


def show(data):
    """Lines of a byte string with invisible bytes spelled out."""
    text = data.decode("latin-1")
    out = []
    for line in text.splitlines(keepends=True):
        vis = line.replace("\r", "<CR>").replace("\n", "<LF>").replace("\0", "<NUL>")
        out.append(vis + "\n")
    return out


def compare(label, expected, actual, failures):
    if expected == actual:
        return
    if expected.replace(b"\r\n", b"\n") == actual.replace(b"\r\n", b"\n"):
        failures.append(f"{label}: only the line ends differ")
    else:
        failures.append(f"{label}: differs")
    diff = difflib.unified_diff(show(expected), show(actual), "expected/" + label, "actual/" + label, n=2)
    failures.append("".join(list(diff)[:80]))


def platform_name():
    return "windows" if os.name == "nt" else "posix"


def expected(case, name, target):
    """The platform's own expectation file or folder where there is one."""
    own = os.path.join(case, f"{name}.{target}")
    return own if os.path.exists(own) else os.path.join(case, name)


# Messages of Wine itself, never of the tool: its server dropped a client.
WINE_TROUBLE = (b"wine client error", b"wine: failed to", b"wineserver")
wine_retries = 1


def wine_trouble(stderr):
    return any(marker in stderr for marker in WINE_TROUBLE)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--binary", required=True)
    ap.add_argument("--runner", default="")
    ap.add_argument("--skip-list", default="")
    ap.add_argument("--update", action="store_true")
    ap.add_argument("--keep", action="store_true", help="keep the scratch directory")
    ap.add_argument("case")
    a = ap.parse_args()

    case = os.path.abspath(a.case)
    name = os.path.basename(case)
    runner = shlex.split(a.runner)
    target = "windows" if a.binary.endswith(".exe") else platform_name()
    wanted = os.path.join(case, "platform")
    if os.path.exists(wanted) and read(wanted).decode().strip() != target:
        print(f"{name}: skipped, belongs to {read(wanted).decode().strip()}")
        return SKIP
    if a.skip_list:
        for line in read(a.skip_list).decode().splitlines():
            if line.split(maxsplit=1)[:1] == [name]:
                print(f"{name}: skipped, {line.split(maxsplit=1)[1]}")
                return SKIP

    scratch = tempfile.mkdtemp(prefix=f"curvetext-{name}-")
    inputs = os.path.join(case, "in")
    if os.path.isdir(inputs):
        shutil.copytree(inputs, scratch, symlinks=True, dirs_exist_ok=True)
    maker = os.path.join(case, "make_input")
    if os.path.exists(maker):
        sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
        code = compile(read(maker), maker, "exec")
        cwd = os.getcwd()
        os.chdir(scratch)
        try:
            exec(code, {"__name__": "make_input"})
        finally:
            os.chdir(cwd)
    before = snapshot(scratch)

    args = []
    if os.path.exists(os.path.join(case, "args")):
        args = [l for l in read(os.path.join(case, "args")).decode().split("\n") if l != ""]
    setup = []
    if os.path.exists(os.path.join(case, "setup")):
        setup = [l.split() for l in read(os.path.join(case, "setup")).decode().splitlines() if l]
    uid = None
    if ["user"] in setup and os.geteuid() == 0:
        uid = 65534
        for root, dirs, names in os.walk(scratch):
            for n in [root] + [os.path.join(root, x) for x in dirs + names]:
                os.lchown(n, uid, uid)

    def prepare():
        import resource
        for d in setup:
            if d[0] == "fsize":
                resource.setrlimit(resource.RLIMIT_FSIZE, (int(d[1]), int(d[1])))
            elif d[0] == "close":
                os.close(int(d[1]))
        if uid is not None:
            os.setgid(uid)
            os.setuid(uid)

    used_before = os.times()
    proc = subprocess.run(runner + [os.path.abspath(a.binary)] + args, cwd=scratch,
                          stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=50 * float(os.environ.get("CURVETEXT_SLOWDOWN", "1")),
                          preexec_fn=prepare if setup else None)
    used_after = os.times()
    global wine_retries
    if runner and "wine" in runner[0] and wine_trouble(proc.stderr) and wine_retries > 0:
        # Wine's own server failed the start (not the tool): run once more.
        wine_retries -= 1
        shutil.rmtree(scratch, ignore_errors=True)
        print(f"{name}: Wine failed to start the run ({proc.stderr[:80]!r}); once more")
        return main()
    cpu = (used_after.children_user - used_before.children_user
           + used_after.children_system - used_before.children_system)
    status = proc.returncode & 0xFF
    after = snapshot(scratch)

    same = []
    if os.path.exists(os.path.join(case, "same")):
        same = read(os.path.join(case, "same")).decode().split()

    if a.update:
        out = expected(case, "out", target)
        shutil.rmtree(out, ignore_errors=True)
        os.makedirs(out)
        for rel, data in after.items():
            if rel in same:
                continue
            os.makedirs(os.path.dirname(os.path.join(out, rel)), exist_ok=True)
            with open(os.path.join(out, rel), "wb") as f:
                f.write(data)
        for stream, data in (("stdout", proc.stdout), ("stderr", proc.stderr)):
            path = expected(case, stream, target)
            if data or path.endswith("." + target):  # an empty own file stays
                with open(path, "wb") as f:
                    f.write(data)
            elif os.path.exists(path):
                os.remove(path)
        with open(expected(case, "status", target), "w") as f:
            f.write(f"{status}\n")
        shutil.rmtree(scratch)
        print(f"{name}: updated")
        return 0

    failures = []
    for d in setup:
        if d[0] == "mode":
            got = stat.S_IMODE(os.lstat(os.path.join(scratch, d[1])).st_mode)
            if got != int(d[2], 8):
                failures.append(f"{d[1]}: mode {got:o}, expected {d[2]}")
    limit_file = os.path.join(case, "seconds")
    if os.path.exists(limit_file):
        limit = float(read(limit_file).decode()) * float(os.environ.get("CURVETEXT_SLOWDOWN", "1"))
        if cpu > limit:
            failures.append(f"the run took {cpu:.2f} s of processor time, more than {limit:.2f} s")
    expected_status = int(read(expected(case, "status", target)).decode().strip())
    if status != expected_status:
        failures.append(f"exit status: expected {expected_status}, got {status}")
    for stream, data in (("stdout", proc.stdout), ("stderr", proc.stderr)):
        path = expected(case, stream, target)
        compare(stream, read(path) if os.path.exists(path) else b"", data, failures)

    expected_files = {}
    out = expected(case, "out", target)
    if os.path.isdir(out):
        expected_files = snapshot(out)
    for rel in same:
        if rel not in before:
            failures.append(f"{rel}: listed in 'same' but not an input")
        else:
            expected_files[rel] = before[rel]
    for rel in sorted(set(expected_files) | set(after)):
        if rel not in after:
            failures.append(f"{rel}: expected in the directory, missing")
        elif rel not in expected_files:
            failures.append(f"{rel}: left in the directory, not expected")
        else:
            compare(rel, expected_files[rel], after[rel], failures)

    if failures:
        print(f"{name}: FAILED (scratch directory kept: {scratch})")
        for f in failures:
            print(f)
        return 1
    if a.keep:
        print(f"{name}: passed (scratch directory: {scratch})")
    else:
        shutil.rmtree(scratch)
        print(f"{name}: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
