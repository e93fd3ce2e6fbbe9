#!/usr/bin/env python3
"""Runs the real curvetext binary on one golden case folder and compares;
docs/golden-cases.md describes the folders and the options."""

import argparse, difflib, os, shlex, shutil, stat, subprocess, sys, tempfile

SKIP = 77
SLOWDOWN = float(os.environ.get("CURVETEXT_SLOWDOWN", "1"))
# Messages of Wine itself, never of the tool: its server dropped a client.
WINE_TROUBLE = (b"wine client error", b"wine: failed to", b"wineserver")


def read(path, default=None):
    if default is not None and not os.path.exists(path):
        return default
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def snapshot(directory):
    files = {}
    for root, _dirs, names in os.walk(directory):
        for name in names:
            full = os.path.join(root, name)
            rel = os.path.relpath(full, directory)
            if os.path.islink(full):  # never read through a link (/dev/full)
                files[rel] = b"-> " + os.readlink(full).encode()
            elif stat.S_ISFIFO(os.lstat(full).st_mode):  # never block on a FIFO
                files[rel] = b"(fifo)"
            else:
                files[rel] = read(full)
    return files


def compare(label, expected, actual, failures):
    if expected is None or actual is None:
        failures.append(f"{label}: " + ("left in the directory, not expected" if expected is None
                                        else "expected in the directory, missing"))
    elif expected != actual:
        same_text = expected.replace(b"\r\n", b"\n") == actual.replace(b"\r\n", b"\n")
        failures.append(f"{label}: {'only the line ends differ' if same_text else 'differs'}")
        # The lines with the invisible bytes spelled out.
        show = lambda data: [line.replace("\r", "<CR>").replace("\n", "<LF>").replace("\0", "<NUL>") + "\n"
                             for line in data.decode("latin-1").splitlines(keepends=True)]
        diff = difflib.unified_diff(show(expected), show(actual), "expected/" + label, "actual/" + label, n=2)
        failures.append("".join(list(diff)[:80]))


def expected(case, name, targets):
    """The most particular expectation file or folder there is for this
    build: its own (`stdout.windows-i686`), its system's (`stdout.windows`),
    or the common one."""
    for target in targets:
        own = os.path.join(case, f"{name}.{target}")
        if os.path.exists(own):
            return own
    return os.path.join(case, name)


def skipped(case, name, targets, skip_lists):
    """Why this build skips the case, or None."""
    wanted = read(os.path.join(case, "platform"), b"").decode().strip()
    if wanted and wanted != targets[-1]:
        return f"belongs to {wanted}"
    for line in (l for path in skip_lists if path for l in read(path).decode().splitlines()):
        if line.split(maxsplit=1)[:1] == [name]:
            return line.split(maxsplit=1)[1]
    return None


def prepare(case, scratch):
    """The host's files in the scratch directory; the setup directives."""
    if os.path.isdir(os.path.join(case, "in")):
        shutil.copytree(os.path.join(case, "in"), scratch, symlinks=True, dirs_exist_ok=True)
    maker = os.path.join(case, "make_input")
    if os.path.exists(maker):
        sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
        cwd = os.getcwd()
        os.chdir(scratch)
        try:
            exec(compile(read(maker), maker, "exec"), {"__name__": "make_input"})
        finally:
            os.chdir(cwd)
    setup = [l.split() for l in read(os.path.join(case, "setup"), b"").decode().splitlines() if l]
    if ["user"] in setup and os.geteuid() == 0:
        for root, dirs, names in os.walk(scratch):
            for n in [root] + [os.path.join(root, x) for x in dirs + names]:
                os.lchown(n, 65534, 65534)
    return setup


def chattr(flag, scratch, setup):
    names = [os.path.join(scratch, d[1]) for d in setup if d[0] == "immutable"]
    return all(subprocess.run(["chattr", flag, n], capture_output=True).returncode == 0 for n in names)


def run(binary, runner, case, scratch, setup):
    args = [l for l in read(os.path.join(case, "args"), b"").decode().split("\n") if l]

    def limits():
        import resource
        for d in setup:
            if d[0] == "fsize":
                resource.setrlimit(resource.RLIMIT_FSIZE, (int(d[1]), int(d[1])))
            elif d[0] == "close":
                os.close(int(d[1]))
        if ["user"] in setup and os.geteuid() == 0:
            os.setgid(65534)
            os.setuid(65534)

    before = os.times()
    proc = subprocess.run(runner + [os.path.abspath(binary)] + args, cwd=scratch, stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=50 * SLOWDOWN, preexec_fn=limits if setup else None)
    after = os.times()
    cpu = after.children_user - before.children_user + after.children_system - before.children_system
    return proc, cpu


def update(case, own, proc, files, same):
    """Writes what the run gave into the case's (platform's own) files."""
    out = own("out")
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    for rel, data in files.items():
        if rel not in same:
            write(os.path.join(out, rel), data)
    for stream, data in (("stdout", proc.stdout), ("stderr", proc.stderr)):
        path = own(stream)
        if data or path != os.path.join(case, stream):  # an empty own file stays
            write(path, data)
        elif os.path.exists(path):
            os.remove(path)
    write(own("status"), f"{proc.returncode & 0xFF}\n".encode())


def check(case, own, proc, cpu, before, after, setup, same, scratch):
    """The failures of the run against the case's expectations."""
    failures = []
    for d in setup:
        if d[0] == "mode":
            got = stat.S_IMODE(os.lstat(os.path.join(scratch, d[1])).st_mode)
            if got != int(d[2], 8):
                failures.append(f"{d[1]}: mode {got:o}, expected {d[2]}")
    limit = read(os.path.join(case, "seconds"), b"")
    if limit and cpu > float(limit) * SLOWDOWN:
        failures.append(f"the run took {cpu:.2f} s of processor time, more than {float(limit) * SLOWDOWN:.2f} s")
    expected_status = int(read(own("status")))
    if proc.returncode & 0xFF != expected_status:
        failures.append(f"exit status: expected {expected_status}, got {proc.returncode & 0xFF}")
    for stream, data in (("stdout", proc.stdout), ("stderr", proc.stderr)):
        compare(stream, read(own(stream), b""), data, failures)
    want = snapshot(own("out")) if os.path.isdir(own("out")) else {}
    for rel in same:
        if rel not in before:
            failures.append(f"{rel}: listed in 'same' but not an input")
        else:
            want[rel] = before[rel]
    for rel in sorted(set(want) | set(after)):
        compare(rel, want.get(rel), after.get(rel), failures)
    return failures


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--binary", required=True)
    ap.add_argument("--runner", default="")
    ap.add_argument("--skip-list", action="append", default=[])
    ap.add_argument("--platform", help="such as windows-i686 (default: windows for an .exe, else posix)")
    ap.add_argument("--update", action="store_true")
    ap.add_argument("--keep", action="store_true", help="keep the scratch directory")
    ap.add_argument("case")
    a = ap.parse_args()
    case, runner = os.path.abspath(a.case), shlex.split(a.runner)
    name = os.path.basename(case)
    system = "windows" if a.binary.endswith(".exe") or os.name == "nt" else "posix"
    targets = (a.platform, a.platform.split("-")[0]) if a.platform else (system,)
    why = skipped(case, name, targets, a.skip_list)
    if why:
        print(f"{name}: skipped, {why}")
        return SKIP
    for attempt in (1, 2):
        scratch = tempfile.mkdtemp(prefix=f"curvetext-{name}-")
        setup = prepare(case, scratch)
        before = snapshot(scratch)
        if not chattr("+i", scratch, setup):
            print(f"{name}: skipped, chattr cannot make a file immutable here")
            return SKIP
        proc, cpu = run(a.binary, runner, case, scratch, setup)
        chattr("-i", scratch, setup)
        if attempt == 2 or not (runner and "wine" in runner[0] and any(m in proc.stderr for m in WINE_TROUBLE)):
            break
        # Wine's own server failed the start (not the tool): run once more.
        print(f"{name}: Wine failed to start the run ({proc.stderr[:80]!r}); once more")
        shutil.rmtree(scratch, ignore_errors=True)
    after = snapshot(scratch)
    same = read(os.path.join(case, "same"), b"").decode().split()
    own = lambda what: expected(case, what, targets)
    if a.update:
        update(case, own, proc, after, same)
        shutil.rmtree(scratch)
        print(f"{name}: updated")
        return 0
    failures = check(case, own, proc, cpu, before, after, setup, same, scratch)
    if failures:
        print(f"{name}: FAILED (scratch directory kept: {scratch})")
        print("\n".join(failures))
        return 1
    if not a.keep:
        shutil.rmtree(scratch)
    print(f"{name}: passed" + (f" (scratch directory: {scratch})" if a.keep else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
