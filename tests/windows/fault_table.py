#!/usr/bin/env python3
"""The Windows program's file handling under Wine, as a host's machine meets
it: winfault.exe plays the scanner, the second run and the kill. Every row
ends with one check (`sound`): the interface file is wholly the input or the
output under its own name, leftovers are untouched, and the next run succeeds.

Usage: fault_table.py --wine WINE --tool EXE --helper winfault.exe --case GOLDEN_CASE
         [--row NAME] [--kills N] [--seed S] [--padding LINES]   (--list: the rows)
--padding: the comment records added to the input.
"""

import argparse, os, pathlib, random, re, shutil, subprocess, sys, tempfile

NAME, WORK, FIRST, SECOND = "QVC_TEMP.TXT", "QVC_TEMP.104", "QVC_x2x2.10", "QVC_x2x2.104"
STALE = b"stale leftover of an earlier run\n"
IN, IN_RO, STALE_RO, OUT = "input", "read-only input", "read-only leftover", "output"
KILLED = 9  # winfault's exit code for a run it terminated
SKIP = 77  # a row this machine cannot stage

# Rows of one run each: (the folder: name -> IN, IN_RO, STALE or STALE_RO;
# winfault options; the status, None for any; what NAME holds afterwards).
ROWS = {
    # Killed the moment the interface file's name goes: it never goes,
    # leftovers or not. Killed the moment the work copy's goes (the replacing
    # move): the output is there, read-only when the input was.
    "the_name_never_goes": [
        ({NAME: IN}, ["--kill-when-gone", NAME], 0, OUT),
        ({NAME: IN, FIRST: STALE, SECOND: STALE}, ["--kill-when-gone", NAME], 0, OUT),
        ({NAME: IN}, ["--kill-when-gone", WORK], None, OUT),
        ({NAME: IN_RO}, ["--kill-when-gone", WORK], None, OUT)],
    # A scanner on the stale intermediate files, without delete sharing.
    "scanner_on_leftovers": [
        ({NAME: IN, FIRST: STALE, SECOND: STALE},
         ["--hold", FIRST, "r", "0", "1500", "--hold", SECOND, "r", "0", "1500"], 0, OUT)],
    # A read-only interface file is replaced, a read-only work copy
    # removed; when a reader holds the file past the bound, the input stays
    # read-only and the work copy writable.
    "read_only_interface_file": [
        ({NAME: IN_RO, WORK: STALE_RO}, [], 0, OUT),
        ({NAME: IN_RO}, ["--hold", NAME, "r", "seen", "4000"], -1, IN)],
    # A scanner holding a file the run needs, for less than the bound, is
    # waited out: the interface file from the start, the work copy the moment
    # it is created, a leftover work copy whose name lingers; past the bound
    # the run fails as ever, the input intact.
    "holds_waited_out": [({NAME: IN}, ["--hold", NAME, "-", "0", "70"], 0, OUT),
                         ({NAME: IN}, ["--hold", NAME, "-", "0", "1000"], 0, OUT),
                         ({NAME: IN}, ["--hold", NAME, "r", "0", "1000"], 0, OUT),
                         ({NAME: IN}, ["--hold", NAME, "rw", "0", "800"], 0, OUT),
                         ({NAME: IN}, ["--hold", WORK, "-", "seen", "300"], 0, OUT),
                         ({NAME: IN}, ["--hold", WORK, "r", "seen", "500"], 0, OUT),
                         ({NAME: IN, WORK: STALE}, ["--hold", WORK, "rd", "0", "300"], 0, OUT),
                         ({NAME: IN, WORK: STALE}, ["--hold", WORK, "rwd", "0", "300"], 0, OUT),
                         ({NAME: IN}, ["--hold", NAME, "-", "0", "5000"], -1, IN)],
}


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")  # Wine's Z: is the Unix root


def read(d, name):
    path = pathlib.Path(d, name)
    return path.read_bytes() if path.exists() else None


def files(d):
    return {n: read(d, n) for n in os.listdir(d)}


def put(d, name, data, read_only=False):
    path = pathlib.Path(d, name)
    if path.exists():
        path.chmod(0o644)
    path.write_bytes(data)
    path.chmod(0o444 if read_only else 0o644)  # Wine's read-only attribute


def writable(d, name):
    return os.stat(os.path.join(d, name)).st_mode & 0o200 != 0


class Table:
    def __init__(self, a):
        self.wine, self.tool, self.helper = a.wine, os.path.abspath(a.tool), os.path.abspath(a.helper)
        self.kills, self.rng, self.failures, self.skipped = a.kills, random.Random(a.seed), [], False
        self.root = tempfile.mkdtemp(prefix="curvetext-winfault-")
        # Comment records (echoed) make a run long enough for a second run or
        # a kill to land inside it.
        self.input = read(os.path.join(a.case, "in"), NAME) + b"# a comment record\n" * a.padding
        d = self.folder("reference")
        put(d, NAME, self.input)
        self.span_ms = self.run(d)["elapsed"]
        self.output = read(d, NAME)
        self.run(d)
        self.twice = read(d, NAME)  # what a second run one after the other leaves

    def folder(self, name):
        d = os.path.join(self.root, f"{name} {len(os.listdir(self.root))}")
        os.makedirs(d)
        return d

    def fail(self, row, message):
        self.failures.append(f"{row}: {message}")

    def expect(self, row, what, got, want):
        if got != want:
            self.fail(row, f"{what}: got {got!r:.80}, expected {want!r:.80}")

    def winfault(self, *args):
        """winfault's report; once more when Wine itself failed (its server
        dropped the client, winfault ended without a report, or it hung: no
        step of the tool waits a minute)."""
        for last in (False, True):
            try:
                p = subprocess.run([self.wine, self.helper] + list(args), capture_output=True, timeout=60)
                if last or (b"wine client error" not in p.stderr and b"status " in p.stdout):
                    return p.stdout.decode("utf-8", "replace")
                print(f"Wine failed winfault {args[0]} ({p.returncode}, {p.stderr[-200:]!r}); once more")
            except subprocess.TimeoutExpired:
                if last:
                    raise
                print(f"Wine hung winfault {args[0]}; once more")

    def run(self, d, *options):
        """A run under winfault: its "status" and "elapsed"."""
        return {k: int(v) for k, v in re.findall(r"(status|elapsed) (-?\d+)", self.winfault(
            "run", winpath(self.tool), winpath(d), *options))}

    def pair(self, dir1, dir2):
        return [int(x) for x in re.findall(r"status (-?\d+)", self.winfault("pair", winpath(self.tool), dir1, dir2))]

    def sound(self, row, d, leftovers=(), also=()):
        names = sorted(os.listdir(d))
        if NAME not in names:
            return self.fail(row, f"no {NAME}; the folder holds {names}")
        now = read(d, NAME)
        if now not in (self.input, self.output) + also:
            self.fail(row, f"{NAME} is neither the input nor the output ({len(now)} bytes)")
        for name in set(names) - {NAME, WORK}:  # a killed run may leave its work copy
            self.expect(row, f"{name} left in the folder", name in leftovers and read(d, name), STALE)
        if now != self.input:  # the host writes a fresh input and starts the tool again
            put(d, NAME, self.input)
        self.expect(row, "the next run", self.run(d)["status"], 0)
        self.expect(row, "the next run's output", read(d, NAME) == self.output, True)

    def rows(self, row):
        for files, options, status, holds in ROWS[row]:
            d = self.folder(row)
            for name, data in files.items():
                put(d, name, self.input if data in (IN, IN_RO) else STALE, data in (IN_RO, STALE_RO))
            what = f"{list(files)} {options}"
            got = self.run(d, *options)["status"]
            if status is not None:
                self.expect(row, f"status, {what}", got, status)
            self.expect(row, f"{NAME}, {what}", read(d, NAME) == (self.output if holds == OUT else self.input), True)
            if IN_RO in files.values():
                self.expect(row, f"read-only kept, {what}", writable(d, NAME), False)
            if status == -1 and WORK in os.listdir(d):  # the next run must be able to remove it
                self.expect(row, f"the work copy left is writable, {what}", writable(d, WORK), True)
            self.sound(row, d, [n for n, v in files.items() if v == STALE])

    def one_lock_per_folder(self, row):
        """Two runs at once in one folder under two spellings (another
        drive letter, the short name): one refused, or one after the other."""
        drive = os.path.join(os.environ.get("WINEPREFIX", os.path.expanduser("~/.wine")), "dosdevices", "q:")
        if os.path.lexists(drive):
            os.remove(drive)
        os.symlink(self.root, drive)
        try:
            for i in range(8):
                d = self.folder(f"{row} long folder name")
                put(d, NAME, self.input)
                statuses = self.pair(winpath(d), f"Q:\\{os.path.basename(d)}" if i % 2 else f"short:{winpath(d)}")
                if sorted(statuses) not in ([0, 0], [0, 1]):
                    self.fail(row, f"statuses {statuses}: two runs in one folder got in each other's way")
                want = self.twice if statuses == [0, 0] else self.output
                self.expect(row, f"output after {statuses}", read(d, NAME) == want, True)
                self.sound(row, d, also=(self.twice,))
        finally:
            os.remove(drive)

    def folders_with_japanese_names(self, row):
        """Two folders whose names the ANSI code page cannot hold
        (drawing, design) never share a lock."""
        for _ in range(4):
            dirs = [os.path.join(self.folder(row), n) for n in ("\u56f3\u9762", "\u8a2d\u8a08")]
            for d in dirs:
                os.makedirs(d)
                put(d, NAME, self.input)
            escaped = [winpath(os.path.dirname(d)) + "\\" + "".join(f"\\u{ord(c):04x}" for c in os.path.basename(d))
                       for d in dirs]
            self.expect(row, "statuses", self.pair(*escaped), [0, 0])
            self.expect(row, "outputs", [read(d, NAME) == self.output for d in dirs], [True, True])

    def kills_at_random_moments(self, row):
        """A run killed at a random moment never leaves the interface file
        half written or under another name."""
        killed = 0
        for i in range(self.kills):
            d = self.folder(row)
            put(d, NAME, self.input, read_only=i % 3 == 2)
            after = 1 + int(self.rng.random() * self.span_ms)
            killed += self.run(d, "--kill-after", str(after))["status"] == KILLED
            self.sound(f"{row} (kill after {after} ms)", d)
        print(f"{row}: {killed} of {self.kills} kills landed before the run ended")
        if killed < self.kills // 4:
            self.fail(row, f"only {killed} of {self.kills} kills landed before the run ended")

    def kills_while_the_move_waits(self, row):
        """A read-only interface file that a reader holds: the replacing move
        waits, and a kill during that wait leaves the host's file the input,
        still read-only."""
        killed = 0
        for extra in (300, 800, 1300):
            d = self.folder(row)
            put(d, NAME, self.input, read_only=True)
            after = self.span_ms + extra
            got = self.run(d, "--hold", NAME, "r", "0", str(after + 5000), "--kill-after", str(after))
            killed += got["status"] == KILLED
            what = f"killed {extra} ms into the wait"
            self.expect(row, f"{NAME}, {what}", read(d, NAME) == self.input, True)
            self.expect(row, f"read-only kept, {what}", writable(d, NAME), False)
            self.sound(row, d)
        if killed < 2:
            self.fail(row, f"only {killed} of 3 kills landed in the wait")

    def untouched(self, row, d, what, status):
        before = files(d)
        got = self.run(d)
        self.expect(row, f"status, {what}", got["status"], status)
        self.expect(row, f"time, {what}", got["elapsed"] < 1000, True)  # no wait for a scanner
        self.expect(row, f"the folder, {what}", files(d), before)

    def lock_name_barred(self, row):
        """The lock's name cannot be made (a link to where nothing can be
        created) while the folder takes other files: no run enters, and a run
        that holds no lock renames and creates nothing."""
        for host_name in (NAME, "qvc_temp.txt"):
            d = self.folder(row)
            put(d, host_name, self.input)
            os.symlink("/sys/curvetext-lock", os.path.join(d, "QVC_TEMP.LCK"))
            self.untouched(row, d, f"{host_name} beside a barred lock name", 1)
            self.expect(row, "a pair beside a barred lock name", self.pair(winpath(d), winpath(d)), [1, 1])

    def folder_takes_no_file(self, row):
        """A folder that takes no new file (read-only, or a disk without a free
        inode) fails at once with the work copy's message, the host's file as
        it was."""
        # (what, the mount's options, how many files take every inode, remounted read-only)
        for what, options, fillers, read_only in (("read-only", "size=16m", 0, True),
                                                  ("no free inode", "size=16m,nr_inodes=8", 8, False)):
            d = self.folder(row)
            if subprocess.run(["mount", "-t", "tmpfs", "-o", options, "tmpfs", d]).returncode:
                print(f"{row}: skipped, cannot mount a file system here")
                self.skipped = True
                return
            try:
                put(d, NAME, self.input)
                try:
                    for n in range(fillers):
                        put(d, f"filler {n}", b"")
                except OSError:
                    pass
                if read_only:
                    subprocess.run(["mount", "-o", "remount,ro", d], check=True)
                self.untouched(row, d, what, -1)
            finally:
                subprocess.run(["umount", d])


NAMES = list(ROWS) + ["one_lock_per_folder", "folders_with_japanese_names", "kills_at_random_moments",
                      "kills_while_the_move_waits", "lock_name_barred", "folder_takes_no_file"]


def main():
    if sys.argv[1:] == ["--list"]:
        return print(";".join(NAMES))
    ap = argparse.ArgumentParser()
    for arg in ("--wine", "--tool", "--helper", "--case"):
        ap.add_argument(arg, required=True)
    ap.add_argument("--row", choices=NAMES)
    for arg, default in (("--kills", 30), ("--padding", 60000), ("--seed", 1)):
        ap.add_argument(arg, type=int, default=default)
    a = ap.parse_args()
    t = Table(a)
    for row in [a.row] if a.row else NAMES:
        (t.rows if row in ROWS else getattr(t, row))(row)
        print(f"{row}: {'FAILED' if any(f.startswith(row) for f in t.failures) else 'passed'}")
    if t.failures:
        print("\n".join(t.failures + [f"(scratch folders kept in {t.root})"]))
        return 1
    shutil.rmtree(t.root, ignore_errors=True)
    return SKIP if t.skipped else 0


if __name__ == "__main__":
    sys.exit(main())
