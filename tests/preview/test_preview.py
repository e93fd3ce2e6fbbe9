#!/usr/bin/env python3
"""Tests of curvetext-preview on interface files and run outputs built by hand.

    test_preview.py --list                 the names of the cases, one a line
    test_preview.py --binary PATH NAME     runs one case; status 0 when it passes

The inputs do not come from the tool's layouts: every glyph record is written
here, so the expected picture follows from the records alone.
"""

import argparse
import math
import os
import random
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

SVG = "{http://www.w3.org/2000/svg}"

# Text kinds 1 to 10: width, height, spacing. Kind 3 is 5 wide, 6 high.
TABLES = (b"hcw 4 4 5 6 7 8 9 10 11 12\n"
          b"hch 4 4 6 6 7 8 9 10 11 12\n"
          b"hcd 1 1 1 1 1 1 1 1 1 1\n")


class Failure(Exception):
    pass


def check(cond, what):
    if not cond:
        raise Failure(what)


def close(a, b, tol=1e-9):
    return math.isclose(a, b, rel_tol=tol, abs_tol=tol)


def crlf(data):
    return data.replace(b"\n", b"\r\n")


def glyph(x, y, dx, dy, text):
    return b"ch %.10f %.10f %.10f %.10f \"" % (x, y, dx, dy) + text + b"\n"


class Run:
    def __init__(self, binary, interface, output, args=None):
        with tempfile.TemporaryDirectory() as tmp:
            paths = []
            for name, data in (("QVC_TEMP.TXT", interface), ("QVC_TEMP.104", output)):
                path = os.path.join(tmp, name)
                if data is not None:
                    with open(path, "wb") as f:
                        f.write(data)
                paths.append(path)
            cmd = [binary] + (paths if args is None else [a.format(dir=tmp) for a in args])
            p = subprocess.run(cmd, capture_output=True, timeout=30)
        self.status = p.returncode
        self.stdout = p.stdout
        self.stderr = p.stderr.decode("utf-8", "replace")
        self.root = None

    def svg(self):
        """The picture, parsed: it must be well-formed XML with an svg root."""
        if self.root is None:
            check(self.status in (0, 1), "status %d, stderr %r" % (self.status, self.stderr))
            try:
                self.root = ET.fromstring(self.stdout)
            except ET.ParseError as e:
                raise Failure("not well-formed XML: %s" % e)
            check(self.root.tag == SVG + "svg", "root element %s" % self.root.tag)
        return self.root

    def texts(self, cls):
        return [t for t in self.svg().iter(SVG + "text") if cls in t.get("class", "").split()]

    def legend(self):
        return ["".join(t.itertext()) for t in self.texts("legend")]

    def messages(self):
        return ["".join(t.itertext()) for t in self.texts("message")]

    def path(self, cls):
        found = [p for p in self.svg().iter(SVG + "path") if p.get("class") == cls]
        check(len(found) == 1, "one path of class %s, got %d" % (cls, len(found)))
        nums = [float(v) for v in re.findall(r"-?[0-9.]+(?:e[-+]?[0-9]+)?", found[0].get("d"))]
        # Picture coordinates back to the drawing's: y up.
        return [(nums[i], -nums[i + 1]) for i in range(0, len(nums), 2)]


def rotation(text):
    m = re.match(r"rotate\(([^ )]+) ([^ )]+) ([^ )]+)\)", text.get("transform", ""))
    check(m is not None, "glyph without rotation: %r" % text.get("transform"))
    return [float(v) for v in m.groups()]


# --- cases -------------------------------------------------------------------

CIRCLE_IN = b"cn3\n" + TABLES + b"lc3\nci 0 0 100\nch 0 0 10 0 \"AB\n"
RECORDS = [
    # pass, x, y, dx, dy, bytes
    ("outer", -2.9995500202, 99.9550033749, 2.9986501012, 0.0899865006, b"A"),
    ("outer", 0.0, 100.0, 3.0, 0.0, b"\x82\xa0"),
    ("outer", 2.9995500202, 99.9550033749, 2.9986501012, -0.0899865006, b"\xb1"),
    ("inner", -2.9994444753, -89.9500046295, 2.9983334876, -0.0999814825, b"&"),
    ("inner", 0.0, -90.0, -3.0, 0.0, b"\x88\x9f"),
    ("inner", 2.9994444753, -89.9500046295, 0.0, 3.0, b" "),
]


def circle_output(records=RECORDS):
    out = b"cn3\ncc1 \n"
    for pass_, x, y, dx, dy, text in records:
        if pass_ == "inner" and b"cc7" not in out:
            out += b"cc7 \n"
        out += glyph(x, y, dx, dy, text)
    return out + b"h# NG SHIFT-jis 2Byte Character \ncn3\nlg14\nly14\nlt14\nlc3\n"


def case_glyph_per_record(binary):
    """One text element per glyph record, at the record's point with y flipped,
    turned by the direction vector, in the pass's class, in the kind's height."""
    for line_end in (lambda b: b, crlf):
        r = Run(binary, line_end(CIRCLE_IN), line_end(circle_output()))
        check(r.status == 0, "status %d: %s" % (r.status, r.stderr))
        texts = r.texts("glyph")
        check(len(texts) == len(RECORDS), "%d glyph texts for %d records" % (len(texts), len(RECORDS)))
        for t, (pass_, x, y, dx, dy, _) in zip(texts, RECORDS):
            check(pass_ in t.get("class").split(), "class %r for a %s glyph" % (t.get("class"), pass_))
            check(close(float(t.get("x")), x) and close(float(t.get("y")), -y),
                  "glyph at (%s, %s), record at (%r, %r)" % (t.get("x"), t.get("y"), x, y))
            angle, cx, cy = rotation(t)
            want = -math.degrees(math.atan2(dy, dx))
            check(close(angle, want, 1e-7), "turned %r degrees, want %r" % (angle, want))
            check(close(cx, x) and close(cy, -y), "turned about (%r, %r)" % (cx, cy))
            check(close(float(t.get("font-size")), 6.0), "font size %s" % t.get("font-size"))
        check(r.messages() == ["h# NG SHIFT-jis 2Byte Character"], "messages %r" % r.messages())
        legend = r.legend()
        check("text kind 3: width 5, height 6, spacing 1" in legend, "legend %r" % legend)
        check("text: AB" in legend, "legend %r" % legend)
        check(any("outer pass (cc1): 3 glyphs" in l for l in legend), "legend %r" % legend)
        check(any("inner pass (cc7): 3 glyphs" in l for l in legend), "legend %r" % legend)


SJIS = [
    # bytes, text, what
    (b"A", "A", "ASCII letter"),
    (b"0", "0", "ASCII digit"),
    (b"\xb1", "\uff71", "half-width katakana a"),
    (b"\xdf", "\uff9f", "half-width semi-voiced mark, last half-width byte"),
    (b"\xa1", "\uff61", "half-width full stop, first half-width byte"),
    (b"\x82\xa0", "\u3042", "hiragana a"),
    (b"\x88\x9f", "\u4e9c", "first level-1 kanji"),
    (b"\x90\xa2", "\u4e16", "kanji 'world'"),
    (b"\x81\x40", "\u3000", "ideographic space"),
    (b"\xe0\x40", "\u6f3e", "a lead byte of the upper range"),
    (b"\\", "\\", "backslash, as Windows shows 0x5C"),
    (b"~", "~", "tilde, as Windows shows 0x7E"),
    (b"&", "&", "XML special &"),
    (b"<", "<", "XML special <"),
    (b">", ">", "XML special >"),
    (b'"', '"', "double quote"),
    (b"'", "'", "apostrophe"),
    (b" ", " ", "a blank is a glyph too"),
    (b"\x82", "\ufffd", "a lead byte without its trail byte"),
    (b"\x01", "\u2401", "a control byte, which XML cannot hold"),
]


def case_sjis_conversion(binary):
    """Glyph bytes and the text record's text reach the picture as UTF-8."""
    out = b"cc1 \n" + b"".join(glyph(i, 0, 1, 0, b) for i, (b, _, _) in enumerate(SJIS))
    text = b"\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd\x90\xa2\x8a\x45 \xb1\xb2 A&<"
    r = Run(binary, b"ci 0 0 100\nch 0 0 1 0 \"" + text + b"\n", out)
    texts = r.texts("glyph")
    check(len(texts) == len(SJIS), "%d glyph texts for %d records" % (len(texts), len(SJIS)))
    for t, (raw, want, what) in zip(texts, SJIS):
        got = "".join(t.itertext())
        check(got == want, "%s: %r gives %r, want %r" % (what, raw, got, want))
    check("text: \u3053\u3093\u306b\u3061\u306f\u4e16\u754c \uff71\uff72 A&<" in r.legend(),
          "legend %r" % r.legend())


def case_circle_geometry(binary):
    """The circle and the inner circle one text height inside it."""
    r = Run(binary, CIRCLE_IN.replace(b"ci 0 0 100", b"ci 10 -20 100"), circle_output())
    for cls, radius in (("curve", 100.0), ("inner-curve", 94.0)):
        pts = r.path(cls)
        check(len(pts) >= 90, "%s: %d points" % (cls, len(pts)))
        angles = set()
        for x, y in pts:
            check(close(math.hypot(x - 10, y + 20), radius, 1e-9), "%s: (%r, %r) off the radius %r" % (cls, x, y, radius))
            angles.add(int(math.degrees(math.atan2(y + 20, x - 10)) % 360.0 // 30))
        check(len(angles) == 12, "%s does not go round: %r" % (cls, sorted(angles)))
    check(r.legend()[0] == "curve: circle, centre (10, -20), radius 100", "legend %r" % r.legend())


ARCS = [
    # start, end, counter-clockwise extent from the effective start
    (0.0, 90.0, 0.0, 90.0),
    (350.0, 10.0, -10.0, 10.0),
    (10.0, 350.0, 10.0, 350.0),
    (200.0, 340.0, 200.0, 340.0),
]


def case_arc_geometry(binary):
    """An arc from its start counter-clockwise to its end, and its inner arc."""
    for sk, ek, a0, a1 in ARCS:
        rec = b"ci 5 6 50 %g %g 1 0\n" % (sk, ek)
        r = Run(binary, b"cn3\n" + TABLES + rec, b"cc1 \n" + glyph(5, 56, 3, 0, b"A"))
        check(r.status == 0, "%r: status %d %s" % (rec, r.status, r.stderr))
        for cls, radius in (("curve", 50.0), ("inner-curve", 44.0)):
            pts = r.path(cls)
            angles = []
            for x, y in pts:
                check(close(math.hypot(x - 5, y - 6), radius, 1e-9), "%r %s: (%r, %r) off the radius" % (rec, cls, x, y))
                angles.append(math.degrees(math.atan2(y - 6, x - 5)))
            # Unwrap, then the points must run counter-clockwise from a0 to a1.
            unwrapped = [angles[0]]
            for a in angles[1:]:
                step = (a - unwrapped[-1] + 180.0) % 360.0 - 180.0
                check(0.0 < step <= 1.0 + 1e-9, "%r %s: a step of %r degrees" % (rec, cls, step))
                unwrapped.append(unwrapped[-1] + step)
            first = (unwrapped[0] - a0 + 180.0) % 360.0 - 180.0
            check(abs(first) < 1e-9, "%r %s: starts at %r degrees" % (rec, cls, unwrapped[0]))
            check(close(unwrapped[-1] - unwrapped[0], a1 - a0, 1e-9), "%r %s: spans %r degrees" % (rec, cls, unwrapped[-1] - unwrapped[0]))
        check(r.legend()[0].startswith("curve: arc"), "legend %r" % r.legend())


ELLIPSES = [
    # cx, cy, radius, ratio, tilt
    (0.0, 0.0, 100.0, 0.5, 0.0),
    (20.0, -10.0, 80.0, 0.3, 30.0),
    (0.0, 0.0, 60.0, 0.9, -120.0),
]


def untilt(x, y, cx, cy, tilt):
    a = math.radians(tilt)
    x, y = x - cx, y - cy
    return x * math.cos(a) + y * math.sin(a), -x * math.sin(a) + y * math.cos(a)


def case_ellipse_geometry(binary):
    """The tilted ellipse, and its inner curve the text height inside it."""
    h = 6.0
    for cx, cy, cr, hp, jk in ELLIPSES:
        rec = b"ci %g %g %g 0 0 %g %g\n" % (cx, cy, cr, hp, jk)
        r = Run(binary, b"cn3\n" + TABLES + rec, b"cc1 \n" + glyph(cx, cy, 3, 0, b"A"))
        check(r.status == 0, "%r: status %d %s" % (rec, r.status, r.stderr))
        outer = [untilt(x, y, cx, cy, jk) for x, y in r.path("curve")]
        for x, y in outer:
            check(close((x / cr) ** 2 + (y / (cr * hp)) ** 2, 1.0, 1e-9), "%r: (%r, %r) off the ellipse" % (rec, x, y))
        check(max(x for x, _ in outer) > cr * 0.999 and max(y for _, y in outer) > cr * hp * 0.999,
              "%r: the ellipse's axes are not %r and %r" % (rec, cr, cr * hp))
        # Every inner point lies inside, the text height away from the ellipse.
        dense = [(cr * math.cos(t / 2000 * math.tau), cr * hp * math.sin(t / 2000 * math.tau)) for t in range(2000)]
        for x, y in [untilt(x, y, cx, cy, jk) for x, y in r.path("inner-curve")]:
            check((x / cr) ** 2 + (y / (cr * hp)) ** 2 < 1.0, "%r: inner point (%r, %r) outside" % (rec, x, y))
            d = min(math.hypot(x - ex, y - ey) for ex, ey in dense)
            check(abs(d - h) < 0.02 * h, "%r: inner point (%r, %r) %r from the ellipse" % (rec, x, y, d))
        check(r.legend()[0].startswith("curve: ellipse"), "legend %r" % r.legend())


CURVE_FORMS = [
    # record(s), legend's first words
    (b"ci 10 20 5\n", "curve: circle"),
    (b"ci 10 20 5 \n", "curve: ellipse"),  # four blanks: the seven-value form, ratio 0
    (b"ci 10 20 5\r\n", "curve: circle"),
    (b"ci 0 0 10 0 90 1 0\n", "curve: arc"),
    (b"ci 0 0 10 90 90 1 0\n", "curve: none"),  # no extent: the tool writes no text
    (b"ci 0 0 10 0 0 1.5 0\n", "curve: none"),
    (b"ci 0 0 10 0 0 0.5 30\n", "curve: ellipse"),
    (b"ci 0 0 10 0 90 1 0\nci 1 2 3\n", "curve: circle"),  # the last record wins
    (b"ci 0 0 10\nci 0 0 10 0 90 1 0\n", "curve: arc"),
]


def case_curve_record_forms(binary):
    """The curve record's form follows its count of blanks; the last one wins."""
    for rec, want in CURVE_FORMS:
        r = Run(binary, b"cn3\n" + TABLES + rec, b"")
        check(r.status == 0, "%r: status %d %s" % (rec, r.status, r.stderr))
        check(r.legend()[0].startswith(want), "%r: legend %r, want %r" % (rec, r.legend()[0], want))


TEXT_KINDS = [
    # interface file, glyph height, status
    (TABLES, 4.0, 0),  # no text-size record: kind 1
    (b"cn3\n" + TABLES, 6.0, 0),
    (TABLES + b"cn10\n", 12.0, 0),
    (b"cn3\ncn0 2 3 0.5 1\n" + TABLES, 3.0, 0),
    (b"cn0 2 3 0.5 1\ncn3\n" + TABLES, 6.0, 0),
    (b"cn3\ncn\"x\n" + TABLES, 6.0, 0),  # a quote after cn changes nothing
    (b"cn3\r\n" + crlf(TABLES), 6.0, 0),
]


def case_text_height_from_tables(binary):
    """Glyphs are drawn in the height of the current text kind."""
    for interface, height, status in TEXT_KINDS:
        r = Run(binary, interface + b"ci 0 0 100\n", b"cc1 \n" + glyph(0, 100, 3, 0, b"A"))
        check(r.status == status, "%r: status %d" % (interface, r.status))
        sizes = [float(t.get("font-size")) for t in r.texts("glyph")]
        check(sizes == [height], "%r: font sizes %r, want %r" % (interface, sizes, height))


def case_unknown_text_kind_is_reported(binary):
    """A text kind outside the tables still gives a picture, with a warning."""
    r = Run(binary, TABLES + b"cn11\nci 0 0 100\n", b"cc1 \n" + glyph(0, 100, 3, 0, b"A"))
    check(r.status == 1, "status %d" % r.status)
    check("text kind 11" in r.stderr, "stderr %r" % r.stderr)
    check(len(r.texts("glyph")) == 1, "the glyph is not drawn")


def case_unusable_files(binary):
    """No picture without both files: a message, status 2, nothing on stdout."""
    cases = [
        ([], "usage"),
        (["{dir}/QVC_TEMP.TXT"], "usage"),
        (["{dir}/QVC_TEMP.TXT", "{dir}/QVC_TEMP.104", "x"], "usage"),
        (["{dir}/missing", "{dir}/QVC_TEMP.104"], "missing"),
        (["{dir}/QVC_TEMP.TXT", "{dir}/missing"], "missing"),
        (["{dir}", "{dir}/QVC_TEMP.104"], "cannot read"),
    ]
    for args, said in cases:
        r = Run(binary, CIRCLE_IN, circle_output(), args)
        check(r.status == 2, "%r: status %d" % (args, r.status))
        check(said in r.stderr, "%r: stderr %r does not say %r" % (args, r.stderr, said))
        check(r.stdout == b"", "%r: something on stdout" % args)


BROKEN_RECORDS = [
    b"ch 1 2 3\n",  # a number missing
    b"ch 1 2 3 4 A\n",  # no double quote
    b"ch nan 2 3 4 \"A\n",
    b"ch 1 inf 3 4 \"A\n",
    b"ch x 2 3 4 \"A\n",
]


def case_broken_glyph_records_are_reported(binary):
    """A glyph record that cannot be drawn is named on stderr and left out."""
    for rec in BROKEN_RECORDS:
        r = Run(binary, CIRCLE_IN, b"cc1 \n" + glyph(1, 2, 3, 0, b"A") + rec + glyph(4, 5, 3, 0, b"B"))
        check(r.status == 1, "%r: status %d" % (rec, r.status))
        check("line 3" in r.stderr, "%r: stderr %r" % (rec, r.stderr))
        got = ["".join(t.itertext()) for t in r.texts("glyph")]
        check(got == ["A", "B"], "%r: glyphs %r" % (rec, got))


def nasty_inputs():
    rng = random.Random(8)
    yield b"", b""
    yield b"\n\n\r\n\r", b"\r\r\n\n"
    yield b"ci\nch\nc\ncn\nhcw\nhch 1e999 -1e999\n", b"ch\ncc\ncc7\nh#\nc"
    yield b"ci 1e308 1e308 1e308\n", glyph(1e300, -1e300, 1e300, 1e-300, b"A")
    yield b"ci 0 0 10\nhch 1e308 1e308\nhcw 1e308 1e308\n", glyph(1e300, 1e300, 1, 0, b"A")
    yield b"ci nan 0 10\nci 0 0 inf 0 90 1 0\n", b"cc1 \n" + glyph(0, 0, 0, 0, b"A")
    yield b"ci 0 0 10 0 1e308 1 0\n", b"cc1 \n" + glyph(0, 0, 0, 0, b"A")
    yield b"ci 0 0 0 0 0 0 0\ncn0 0 0 0 0\n", b"cc1 \n" + glyph(0, 0, 0, 0, b"\x82\xa0")
    yield b"ci 0 0 10 0 0 0 0\ncn0 -5 -5 -5 0\n", b"cc1 \n" + glyph(0, 0, 1, 0, b"A")
    yield b"ch 0 0 1 0 \"" + b"\x82" * 600 + b"\n" + b"c" * 1000, b"h#" + b"\x81" * 1000
    yield b"cn-2147483649\n" + b"cn99999999999999999999\n", b"ch 1 1 1 1 \"\x00\x00\n"
    yield b"\x00" * 300, b"ch 0 0 1 0 \"\x00\n" + b"\xff" * 300
    for _ in range(40):
        pieces = [b"ci ", b"ch ", b"cn", b"hcw ", b"cc1 \n", b"cc7 \n", b"h# ", b" ", b"\"", b"\n", b"\r\n",
                  b"1", b"-2.5", b"e9", b"\x82\xa0", b"\x82", b"\xb1", b"\xf0", b"\x00", b"&<"]
        a = b"".join(rng.choice(pieces) for _ in range(rng.randrange(60)))
        b = b"".join(rng.choice(pieces) for _ in range(rng.randrange(60)))
        yield a, b


def case_malformed_input_keeps_a_picture(binary):
    """Odd bytes never crash the program; it still writes well-formed XML."""
    for interface, output in nasty_inputs():
        r = Run(binary, interface, output)
        check(r.status in (0, 1), "%r / %r: status %d %s" % (interface[:60], output[:60], r.status, r.stderr))
        root = r.svg()
        box = [float(v) for v in root.get("viewBox").split()] + [float(root.get("height"))]
        check(all(math.isfinite(v) for v in box) and box[2] > 0 and box[3] > 0,
              "%r / %r: viewBox %s, height %s" % (interface[:60], output[:60], root.get("viewBox"), root.get("height")))
        for t in root.iter(SVG + "text"):
            for attr in ("x", "y", "font-size"):
                if t.get(attr) is not None:
                    check(math.isfinite(float(t.get(attr))), "%r / %r: %s=%s" % (interface[:60], output[:60], attr, t.get(attr)))


CASES = {name[len("case_"):]: fn for name, fn in globals().items() if name.startswith("case_")}


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--list", action="store_true")
    ap.add_argument("--binary")
    ap.add_argument("name", nargs="?")
    a = ap.parse_args()
    if a.list:
        print("\n".join(CASES))
        return 0
    if not a.binary or a.name not in CASES:
        ap.error("need --binary and one of: " + ", ".join(CASES))
    try:
        CASES[a.name](a.binary)
    except Failure as e:
        print("FAIL %s: %s" % (a.name, e))
        return 1
    print("ok %s" % a.name)
    return 0


if __name__ == "__main__":
    sys.exit(main())
