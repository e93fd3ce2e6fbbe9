#!/usr/bin/env python3
"""The Windows program's file handling, met as a host's Windows machine
meets it: under Wine, with winfault.exe playing the virus scanner, the
second run, the kill and the watcher.

Every row ends with the same check: the interface file is wholly the input
or wholly the output, under its own name; no other name holds the input;
and the next run, on a fresh input as the host would write it, succeeds.

Usage: fault_table.py --wine WINE --tool curvetext.exe --helper winfault.exe
                      --case GOLDEN_CASE_DIR [--row NAME] [--kills N] [--seed S]
                      [--padding LINES]
Without --row every row runs; --list prints the rows' names. Exit status 0
pass, 1 fail.
"""

import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

NAME = "QVC_TEMP.TXT"
WORK = "QVC_TEMP.104"
STALE = b"stale leftover of an earlier run\n"


def winpath(path):
    """Wine's Z: drive is the Unix root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Table:
    def __init__(self, a):
        self.wine = a.wine
        self.tool = os.path.abspath(a.tool)
        self.helper = os.path.abspath(a.helper)
        with open(os.path.join(a.case, "in", NAME), "rb") as f:
            golden_input = f.read()
        with open(os.path.join(a.case, "out", NAME), "rb") as f:
            golden_output = f.read()
        self.kills = a.kills
        self.rng = random.Random(a.seed)
        self.failures = []
        self.root = tempfile.mkdtemp(prefix="curvetext-winfault-")
        # The golden case's input, long enough (comment records, echoed) that
        # two runs overlap and a kill lands in the middle of the work.
        self.input = golden_input + b"# a comment record\n" * a.padding
        d = self.folder("reference")
        self.put(d, NAME, golden_input)
        if self.direct(d) != (0, b"") or self.read(d, NAME) != golden_output:
            self.fail("reference", "the golden case fails: nothing here can be trusted")
        self.put(d, NAME, self.input)
        self.span_ms = self.run(d).get("elapsed", 100)
        self.output = self.read(d, NAME)
        # A run on the output: what a second run one after the other leaves.
        self.direct(d)
        self.twice = self.read(d, NAME)

    # ------------------------------------------------------------ helpers

    def folder(self, name):
        d = os.path.join(self.root, name)
        os.makedirs(d)
        return d

    @staticmethod
    def put(d, name, data, read_only=False):
        path = os.path.join(d, name)
        with open(path, "wb") as f:
            f.write(data)
        if read_only:
            os.chmod(path, 0o444)  # Wine's read-only attribute

    @staticmethod
    def read(d, name):
        """The file's bytes; None when there is no such file."""
        try:
            with open(os.path.join(d, name), "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def winfault(self, *args):
        p = subprocess.run([self.wine, self.helper] + list(args), capture_output=True, timeout=120)
        return p.stdout.decode("utf-8", "replace").replace("\r", "")

    def run(self, d, *options):
        """A run in d under winfault; its printed status, "killed" and
        "missing K" lines as a dict."""
        out = self.winfault("run", winpath(self.tool), winpath(d), *options)
        got = {}
        for line in out.splitlines():
            if line.startswith("status "):
                got["status"] = int(line.split()[1])
            elif line == "killed":
                got["status"] = "killed"
            elif line.startswith(("missing ", "elapsed ")):
                got[line.split()[0]] = int(line.split()[1])
            elif line.startswith(("held ", "hold failed ")):
                got.setdefault("holds", []).append(line)
        return got

    def direct(self, d):
        p = subprocess.run([self.wine, self.tool], cwd=d, capture_output=True, timeout=120)
        return p.returncode & 0xFF, p.stderr

    def fail(self, row, message):
        self.failures.append(f"{row}: {message}")

    def expect(self, row, what, got, want):
        if got != want:
            self.fail(row, f"{what}: got {got!r}, expected {want!r}")

    def sound(self, row, d, leftovers=(), also=()):
        """The interface file is wholly the input or the output under its own
        name; the leftovers the row put there are untouched; nothing else is
        left but a work copy; then the next run on a fresh input succeeds."""
        names = sorted(os.listdir(d))
        if NAME not in names:
            self.fail(row, f"no {NAME}; the folder holds {names}")
            return
        now = self.read(d, NAME)
        if now not in (self.input, self.output) + also:
            self.fail(row, f"{NAME} is neither the input nor the output ({len(now)} bytes)")
        for name in names:
            if name == NAME:
                continue
            data = self.read(d, name)
            if name in leftovers:
                if data != STALE:
                    self.fail(row, f"the leftover {name} was changed")
            elif name != WORK:  # a killed run may leave its work copy, in any state
                self.fail(row, f"{name} left in the folder")
        # The host writes a fresh input and starts the tool again.
        if now != self.input:
            os.chmod(os.path.join(d, NAME), 0o644)
            self.put(d, NAME, self.input)
        status, err = self.direct(d)
        self.expect(row, "the next run's status", status, 0)
        self.expect(row, "the next run's messages", err, b"")
        if NAME in os.listdir(d):
            self.expect(row, "the next run's output", self.read(d, NAME) == self.output, True)

    # --------------------------------------------------------------- rows

    def w1_never_missing(self, row):
        """W1: a watcher never finds the interface file missing, with
        leftovers of earlier runs or without."""
        for leftovers in ((), ("QVC_x2x2.10", "QVC_x2x2.104"), ("qvc_x2x2.104",)):
            for _ in range(2):
                d = self.folder(f"{row}-{len(os.listdir(self.root))}")
                self.put(d, NAME, self.input)
                for name in leftovers:
                    self.put(d, name, STALE)
                got = self.run(d, "--watch", NAME)
                self.expect(row, f"status with {leftovers}", got.get("status"), 0)
                self.expect(row, f"looks that missed {NAME}", got.get("missing"), 0)
                self.expect(row, "the output", self.read(d, NAME), self.output)
                self.sound(row, d, leftovers)

    def w2_no_kill_between_names(self, row):
        """W2: a run killed the moment the interface file's name is gone
        would find it gone; it never is, so the run completes."""
        d = self.folder(row)
        self.put(d, NAME, self.input)
        got = self.run(d, "--kill-when-gone", NAME)
        self.expect(row, "status", got.get("status"), 0)
        self.sound(row, d)

    def w2_killed_as_the_output_lands(self, row):
        """W2: killed the moment the work copy's name goes (the replacing
        move): the interface file is the output."""
        d = self.folder(row)
        self.put(d, NAME, self.input)
        self.run(d, "--kill-when-gone", WORK)
        self.sound(row, d)

    def w3_leftovers_never_block(self, row):
        """W3: stale intermediate files beside a fresh interface file are
        left alone, in any letter case, and with the host's name in another
        case too."""
        for host_name, leftovers in ((NAME, ("QVC_x2x2.104",)), (NAME, ("QVC_x2x2.10",)),
                                     (NAME, ("QVC_x2x2.10", "QVC_x2x2.104")),
                                     ("qvc_temp.txt", ("QVC_x2x2.104",))):
            d = self.folder(f"{row}-{len(os.listdir(self.root))}")
            self.put(d, host_name, self.input)
            for name in leftovers:
                self.put(d, name, STALE)
            status, err = self.direct(d)
            self.expect(row, f"status with {leftovers}", (status, err), (0, b""))
            self.sound(row, d, leftovers)

    def w3_input_only_under_an_intermediate_name(self, row):
        """A run of an earlier version killed in its rename chain left the
        input under an intermediate name: it is taken over and laid out;
        with both names there, the first is the input."""
        for under, stale in (("QVC_x2x2.10", None), ("QVC_x2x2.104", None),
                             ("QVC_x2x2.10", "QVC_x2x2.104")):
            d = self.folder(f"{row}-{len(os.listdir(self.root))}")
            self.put(d, under, self.input)
            if stale:
                self.put(d, stale, STALE)
            status, err = self.direct(d)
            self.expect(row, f"status from {under}", (status, err), (0, b""))
            self.expect(row, "the output", self.read(d, NAME), self.output)
            self.sound(row, d, (stale,) if stale else ())

    def w4_scanner_on_leftovers(self, row):
        """W4: a scanner holds stale intermediate files without delete
        sharing: nothing the run does needs them."""
        d = self.folder(row)
        self.put(d, NAME, self.input)
        for name in ("QVC_x2x2.10", "QVC_x2x2.104"):
            self.put(d, name, STALE)
        got = self.run(d, "--hold", "QVC_x2x2.10", "r", "0", "1500",
                       "--hold", "QVC_x2x2.104", "r", "0", "1500")
        self.expect(row, "status", got.get("status"), 0)
        self.sound(row, d, ("QVC_x2x2.10", "QVC_x2x2.104"))

    def w5_read_only(self, row):
        """W5: a read-only interface file is replaced and the output keeps
        the attribute; a read-only leftover work copy is removed."""
        d = self.folder(row)
        self.put(d, NAME, self.input, read_only=True)
        self.put(d, WORK, STALE, read_only=True)
        status, err = self.direct(d)
        self.expect(row, "status", (status, err), (0, b""))
        self.expect(row, "the output", self.read(d, NAME), self.output)
        self.expect(row, "the output is read-only", os.stat(os.path.join(d, NAME)).st_mode & 0o222, 0)
        self.expect(row, "work copy gone", os.path.exists(os.path.join(d, WORK)), False)
        self.sound(row, d)

    def w5_read_only_move_fails(self, row):
        """W5: the move over a read-only interface file fails (a reader holds
        it past the bound): the interface file stays the input and
        read-only, the work copy writable, and the next run succeeds."""
        d = self.folder(row)
        self.put(d, NAME, self.input, read_only=True)
        got = self.run(d, "--hold", NAME, "r", "seen", "4000")
        self.expect(row, "status", got.get("status"), -1)
        self.expect(row, "the input stays", self.read(d, NAME), self.input)
        self.expect(row, "still read-only", os.stat(os.path.join(d, NAME)).st_mode & 0o222, 0)
        work = os.path.join(d, WORK)
        self.expect(row, "the work copy holds the output", self.read(d, WORK), self.output)
        self.expect(row, "the work copy is writable", os.stat(work).st_mode & 0o200, 0o200)
        self.sound(row, d)

    def w6_short_holds_waited_out(self, row):
        """W6: a scanner holding a file the run needs, for less than the
        bound, is waited out: the interface file from the start, without any
        sharing or with read sharing only; the work copy the moment it is
        created."""
        for name, share, after, length in ((NAME, "-", "0", "70"), (NAME, "-", "0", "300"),
                                           (NAME, "-", "0", "1000"), (NAME, "r", "0", "1000"),
                                           (NAME, "rw", "0", "800"), (WORK, "-", "seen", "300"),
                                           (WORK, "r", "seen", "500")):
            d = self.folder(f"{row}-{len(os.listdir(self.root))}")
            self.put(d, NAME, self.input)
            got = self.run(d, "--hold", name, share, after, length)
            what = f"{name} held ({share}) for {length} ms"
            self.expect(row, f"status, {what}", got.get("status"), 0)
            self.expect(row, f"output, {what}", self.read(d, NAME), self.output)
            self.sound(row, d)

    def w6_long_hold_fails_cleanly(self, row):
        """W6: past the bound the run fails with the message and status of
        old, and the interface file is the input."""
        d = self.folder(row)
        self.put(d, NAME, self.input)
        started = time.monotonic()
        got = self.run(d, "--hold", NAME, "-", "0", "5000")
        self.expect(row, "status", got.get("status"), -1)
        self.expect(row, "the input stays", self.read(d, NAME), self.input)
        if time.monotonic() - started > 30:
            self.fail(row, "the run waited far past its bound")
        self.sound(row, d)

    def both_ran_or_one_refused(self, row, d, statuses):
        if sorted(statuses) not in ([0, 0], [0, 1]):
            self.fail(row, f"statuses {statuses}: two runs in one folder got in each other's way")
        want = self.twice if statuses == [0, 0] else self.output
        self.expect(row, f"output after statuses {statuses}", self.read(d, NAME) == want, True)

    def pair(self, dir1, dir2):
        out = self.winfault("pair", winpath(self.tool), dir1, dir2)
        return [int(x) for x in re.findall(r"status (-?\d+)", out)]

    def w7_one_lock_per_folder(self, row):
        """W7: two runs at once in one folder reached under two spellings
        (another drive letter, the short name): one refused, or one after the
        other; never both at once."""
        prefix = os.environ.get("WINEPREFIX", os.path.expanduser("~/.wine"))
        drive = os.path.join(prefix, "dosdevices", "q:")
        if os.path.lexists(drive):
            os.remove(drive)
        os.symlink(self.root, drive)
        try:
            for i in range(8):
                d = self.folder(f"{row} long folder name {i}")
                self.put(d, NAME, self.input)
                base = os.path.basename(d)
                other = f"Q:\\{base}" if i % 2 == 0 else f"short:{winpath(d)}"
                self.both_ran_or_one_refused(row, d, self.pair(winpath(d), other))
                self.sound(row, d, also=(self.twice,))
        finally:
            os.remove(drive)

    def w8_folders_with_japanese_names(self, row):
        """W8: two different folders whose names the ANSI code page cannot
        hold run at once without refusing each other."""
        for i in range(4):
            base = self.folder(f"{row}-{i}")
            names = ["\u56f3\u9762", "\u8a2d\u8a08"]  # drawing, design
            for n in names:
                self.put(self.folder(os.path.join(os.path.basename(base), n)), NAME, self.input)
            escaped = [winpath(base) + "\\" + "".join(f"\\u{ord(c):04x}" for c in n) for n in names]
            statuses = self.pair(*escaped)
            self.expect(row, "statuses", statuses, [0, 0])
            for n in names:
                self.expect(row, f"output in {n}", self.read(os.path.join(base, n), NAME), self.output)

    def kills_at_random_moments(self, row):
        """A run killed at a random moment, from before it starts to after it
        ends, never leaves the interface file half or elsewhere."""
        killed = 0
        for i in range(self.kills):
            d = self.folder(f"{row}-{i}")
            self.put(d, NAME, self.input, read_only=i % 3 == 2)
            after = 1 + int(self.rng.random() * self.span_ms)
            killed += self.run(d, "--kill-after", str(after)).get("status") == "killed"
            if NAME in os.listdir(d):
                os.chmod(os.path.join(d, NAME), 0o644)
            self.sound(f"{row} (kill after {after} ms)", d)
        print(f"{row}: {killed} of {self.kills} kills landed before the run ended")
        if killed < self.kills // 4:
            self.fail(row, f"only {killed} of {self.kills} kills landed before the run ended")


ROWS = [name for name in vars(Table) if re.match(r"(w\d|kills)", name)]


def main():
    if sys.argv[1:] == ["--list"]:
        print(";".join(ROWS))
        return 0
    ap = argparse.ArgumentParser()
    ap.add_argument("--wine", required=True)
    ap.add_argument("--tool", required=True)
    ap.add_argument("--helper", required=True)
    ap.add_argument("--case", required=True)
    ap.add_argument("--row", choices=ROWS)
    ap.add_argument("--kills", type=int, default=30)
    ap.add_argument("--padding", type=int, default=60000, help="comment records added to the input")
    ap.add_argument("--seed", type=int, default=1)
    a = ap.parse_args()
    t = Table(a)
    try:
        for row in [a.row] if a.row else ROWS:
            getattr(t, row)(row)
            print(f"{row}: {'FAILED' if any(f.startswith(row) for f in t.failures) else 'passed'}")
    finally:
        if not t.failures:
            shutil.rmtree(t.root, ignore_errors=True)
    for f in t.failures:
        print(f)
    if t.failures:
        print(f"(scratch folders kept in {t.root})")
    return 1 if t.failures else 0


if __name__ == "__main__":
    sys.exit(main())
