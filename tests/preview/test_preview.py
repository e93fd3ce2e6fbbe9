#!/usr/bin/env python3
"""curvetext-preview on files written by hand, one table of cases. --list | --binary PATH NAME"""
import math, os, random, re, subprocess, sys, tempfile, xml.etree.ElementTree as ET

NS = "{http://www.w3.org/2000/svg}"
TABLES = b"hcw 4 4 5 6 7 8 9 10 11 12\nhch 4 4 6 6 7 8 9 10 11 12\nhcd 1 1 1 1 1 1 1 1 1 1\n"  # kind 3: 5 x 6
CIRCLE = b"cn3\n" + TABLES + b"ci 10 -20 100\nch 0 0 1 0 \"\x82\xb1\x90\xa2 A&<\n"
# pass, x, y, dx, dy, bytes, the text drawn
GLYPHS = [("outer", -3.0, 99.95, 2.99, 0.09, b"A", "A"), ("outer", 0.0, 100.0, 3.0, 0.0, b"\x82\xa0", "\u3042"),
          ("outer", 3.0, 99.9, 2.9, -0.1, b"\xb1", "\uff71"), ("inner", -3.0, -89.9, 2.9, -0.1, b"&<", "&<"),
          ("inner", 0.0, -90.0, -3.0, 0.0, b"\x88\x9f", "\u4e9c"), ("inner", 3.0, -89.9, 0.0, 3.0, b"\x82", "\ufffd"),
          ("inner", 4.0, -89.0, 0.0, 3.0, b"\x01", "\u2401")]
PASSES = ("outer", "inner")


glyph = lambda x, y, dx, dy, text: (b"ch %.10f %.10f %.10f %.10f \"" % (x, y, dx, dy) + text + b"\n")


OUT = (b"cc1 \n" + b"".join(glyph(*g[1:6]) for g in GLYPHS[:3]) + b"cc7 \n" + b"".join(glyph(*g[1:6]) for g in GLYPHS[3:])
       + b"h# NG SHIFT-jis 2Byte Character \nlt14\n")
ONE = b"cc1 \n" + glyph(0, 100, 3, 0, b"A")


texts = lambda svg, cls: ["".join(t.itertext()) for t in svg.iter(NS + "text") if cls in t.get("class", "").split()]


def path(svg, cls):
    d = [p.get("d") for p in svg.iter(NS + "path") if p.get("class") == cls]
    nums = [float(v) for v in re.findall(r"-?[0-9.]+(?:e[-+]?[0-9]+)?", d[0])] if d else []
    return [(nums[i], -nums[i + 1]) for i in range(0, len(nums), 2)]  # y up again


def glyphs_drawn(svg, _):
    ts = [t for t in svg.iter(NS + "text") if "glyph" in t.get("class", "")]
    # Each pass in the colour of its line in the legend, the two apart.
    key = {ps: [t.get("fill") for t in svg.iter(NS + "text") if "".join(t.itertext()).startswith("\u25a0 %s pass" % ps)] for ps in PASSES}
    assert len(ts) == len(GLYPHS) and [len(k) for k in key.values()] == [1, 1] and key["outer"] != key["inner"], (len(ts), key)
    shift = {ps: set() for ps in PASSES}
    for t, (ps, x, y, dx, dy, _, want) in zip(ts, GLYPHS):
        turn = [round(float(v), 6) for v in re.match(r"rotate\((\S+) (\S+) (\S+)\)", t.get("transform")).groups()]
        got = (t.get("class"), t.get("fill"), float(t.get("x")), float(t.get("y")), turn, t.get("font-size"), t.text)
        assert got == ("glyph " + ps, key[ps][0], x, -y, [round(-math.degrees(math.atan2(dy, dx)), 6), x, -y], "6", want), got
        shift[ps].add(float(t.get("dy")))
    # The point: the middle of the em box's lower edge (outer) or upper edge (inner). The box is one size (6)
    # tall, the outer baseline shifted up by its part below the baseline, the inner one down by the larger part above it.
    (up,), (down,) = shift["outer"], shift["inner"]
    assert 0 < -up < down and math.isclose(down - up, 6), (up, down)


def on_curve(cls, cx, cy, r, a0=0.0, a1=360.0):
    def check(svg, _):  # on the circle, running counter-clockwise from a0 to a1
        pts = path(svg, cls)
        ang = [math.degrees(math.atan2(y - cy, x - cx)) for x, y in pts]
        assert all(math.isclose(math.hypot(x - cx, y - cy), r, rel_tol=1e-9) for x, y in pts), cls
        steps = [(b - a + 180) % 360 - 180 for a, b in zip(ang, ang[1:])]
        assert all(0 < s <= 1 + 1e-9 for s in steps) and abs((ang[0] - a0 + 180) % 360 - 180) < 1e-9, cls
        assert math.isclose(sum(steps), a1 - a0, rel_tol=1e-9), (cls, sum(steps))
    return check


def on_ellipse(cx, cy, r, ratio, tilt, h):
    def check(svg, _):  # the ellipse, and its inner curve the text height h inside
        t = math.radians(tilt)
        local = lambda pts: [((x - cx) * math.cos(t) + (y - cy) * math.sin(t), (y - cy) * math.cos(t) - (x - cx) * math.sin(t)) for x, y in pts]
        assert all(math.isclose((x / r) ** 2 + (y / r / ratio) ** 2, 1, rel_tol=1e-9) for x, y in local(path(svg, "curve")))
        dense = [(r * math.cos(i * math.tau / 2000), r * ratio * math.sin(i * math.tau / 2000)) for i in range(2000)]
        for x, y in local(path(svg, "inner-curve"))[::20]:
            assert abs(min(math.hypot(x - a, y - b) for a, b in dense) - h) < 0.02 * h and (x / r) ** 2 + (y / r / ratio) ** 2 < 1
    return check


def has(cls, *want):  # texts of a class that start with the wanted ones, in order
    return lambda svg, _: [w for w in want if not any(t.startswith(w) for t in texts(svg, cls))] == [] or texts(svg, cls)


def fits(svg, _):  # every legend row inside the picture, the drawing not a thumbnail
    x, y, w, h = map(float, svg.get("viewBox").split())
    fs = float(svg.find(NS + "g[@font-size]").get("font-size"))
    for sp in svg.iter(NS + "tspan"):
        em = sum(0.5 if ord(c) < 128 else 1.0 for c in sp.text or "")
        assert float(sp.get("x")) + em * fs <= x + w and float(sp.get("y")) <= y + h, (sp.text, x, w)
    xs = [p[0] for p in path(svg, "curve")]
    assert max(xs) - min(xs) > 0.8 * w, (w, max(xs) - min(xs))


def scale(svg, _):  # a round length, labelled, a tenth to a half of the picture
    g = svg.find(NS + "g[@class='scale']")
    xs = [float(v) for v in re.findall(r"M(\S+)|L(\S+)", g.find(NS + "path").get("d")) for v in v if v]
    length, w = max(xs) - min(xs), float(svg.get("viewBox").split()[2])
    mant = length / 10 ** math.floor(math.log10(length) + 1e-12)
    assert any(math.isclose(mant, m) for m in (1, 2, 5)) and 0.1 * w < length < 0.5 * w, (length, w)
    assert "".join(g.find(NS + "text").itertext()) == "%g units" % length


def degenerate(svg, _):  # a marker with its reason, no curve
    assert path(svg, "curve") == [] and path(svg, "inner-curve") == [], "a curve is drawn"
    assert "no curve to draw" in "".join(svg.find(NS + "g[@class='degenerate']").itertext())




CR = lambda b: b.replace(b"\n", b"\r\n")
LONG = b"cn3\n" + TABLES + b"ci 0 0 100\nch 0 0 1 0 \"" + b"CURVE TEXT LONG " * 15 + b"ABCD\n"
# name: (interface, output, arguments or None, status, stderr words, facts about the picture)
CASES = {
    "glyphs": (CIRCLE, OUT, None, 0, "", [glyphs_drawn, has("message", "h# NG SHIFT-jis 2Byte Character"),
               has("legend", "curve: circle, centre (10, -20), radius 100", "text kind 3: width 5, height 6",
                   "text: \u3053\u4e16 A&<", "\u25a0 outer pass (cc1): 3 glyphs", "\u25a0 inner pass (cc7): 4 glyphs"),
               on_curve("curve", 10, -20, 100), on_curve("inner-curve", 10, -20, 94), scale]),
    "glyphs_crlf": (CR(CIRCLE), CR(OUT), None, 0, "", [glyphs_drawn]),
    "arc_across_0": (b"cn3\n" + TABLES + b"ci 5 6 50 350 10 1 0\n", ONE, None, 0, "", [on_curve("curve", 5, 6, 50, -10, 10), on_curve("inner-curve", 5, 6, 44, -10, 10)]),
    "arc": (b"cn3\n" + TABLES + b"ci 5 6 50 10 350 1 0\n", ONE, None, 0, "", [on_curve("curve", 5, 6, 50, 10, 350), has("legend", "curve: arc")]),
    "ellipse": (b"cn3\n" + TABLES + b"ci 20 -10 80 0 0 0.3 30\n", ONE, None, 0, "", [on_ellipse(20, -10, 80, 0.3, 30, 6)]),
    "kind_11": (TABLES + b"cn11\nci 0 0 100\n", ONE, None, 1, "text kind 11", [has("legend", "text kind 11: not in the tables")]),
    "broken_glyph_records": (CIRCLE, b"cc1 \n" + glyph(1, 2, 3, 0, b"A") + b"ch 1 2 3\nch 1 2 3 4 A\nch nan 2 3 4 \"A\n" + glyph(4, 5, 3, 0, b"B"),
                             None, 1, "line 3", [lambda svg, _: texts(svg, "glyph") == ["A", "B"]]),
    "long_text_wraps": (LONG, b"cc1 \n" + glyph(0, 100, 3, 0, b"C"), None, 0, "", [fits, has("legend", "text: CURVE TEXT LONG")]),
    "tall_legend": (CIRCLE, ONE + b"".join(b"h# NG message %d that is long enough to wrap: words words words words words\n" % i for i in range(60)),
                    None, 0, "", [fits, lambda svg, _: len(texts(svg, "message")) == 60]),
    "zero_radius_circle": (b"cn3\n" + TABLES + b"ci 0 0 0\n", b"h# NG curve\n", None, 0, "", [degenerate, has("message", "h# NG curve")]),
    "zero_radius_arc": (b"cn3\n" + TABLES + b"ci 0 0 0 20 160 1 0\n", b"", None, 0, "", [degenerate]),
    "no_extent_arc": (b"cn3\n" + TABLES + b"ci 0 0 10 90 90 1 0\n", b"", None, 0, "", [degenerate, has("legend", "curve: none")]),
    # The records a run writes for a curve no layout takes and for a cut text reach the legend.
    "no_layout_message": (b"cn3\n" + TABLES + b"ci 0 0 10 0 90 1.5 0\nch 0 0 1 0 \"AB\n", b"cn3\nh# NG curve \nlg14\n", None, 0, "",
                          [degenerate, has("message", "h# NG curve")]),
    "cut_text_message": (LONG, b"h# TEXT is too long: 50 of 244 bytes written \n" + ONE, None, 0, "",
                         [has("message", "h# TEXT is too long: 50 of 244 bytes written"), lambda svg, _: len(texts(svg, "message")) == 1]),
    # A lead byte the tool does not support (0xFA) makes a character it lays out no glyph for, whatever code page 932 says.
    "unsupported_character": (b"cn3\n" + TABLES + b"ci 0 0 100\nch 0 0 1 0 \"A\xfa\x40\xea\xa4B\n", ONE + b"h# NG SHIFT-jis 2Byte Character \n",
                              None, 0, "", [has("legend", "text: A\ufffd\u7199B")]),
    "not_finite_curve": (b"ci 0 0 inf 0 90 1 0\n", b"", None, 1, "not finite", [degenerate]),
}
for i, (args, said) in enumerate([([], "usage"), (["{d}/in", "{d}/out", "x"], "usage"), (["{d}/missing", "{d}/out"], "missing"),
                                  (["{d}/in", "{d}/missing"], "missing"), (["{d}", "{d}/out"], "cannot read")]):
    CASES["unusable_%d" % i] = (CIRCLE, OUT, args, 2, said, [])
CASES["nasty"] = (None, None, None, 0, "", [])  # odd bytes: still a well-formed, finite picture
rng, PIECES = random.Random(8), [b"ci ", b"ch ", b"cn", b"hcw ", b"cc1 \n", b"cc7 \n", b"h# ", b" ", b"\"", b"\n", b"\r\n", b"1", b"-2.5",
                                 b"e9", b"1e308", b"\x82\xa0", b"\x82", b"\xb1", b"\x00", b"&<"]
NASTY = [(b"", b""), (b"ci 1e308 1e308 1e308\n", glyph(1e300, -1e300, 1e300, 1e-300, b"A")), (b"ci 0 0 10\nhch 1e308\n", glyph(1e300, 1, 1, 0, b"A")),
         (b"ci 0 0 10 0 0 0 0\ncn0 -5 -5 -5 0\n", ONE), (b"cn-2147483649\ncn99999999999999999999\n", b"ch 1 1 1 1 \"\x00\x00\n")]
NASTY += [tuple(b"".join(rng.choice(PIECES) for _ in range(rng.randrange(60))) for _ in "ab") for _ in range(30)]


def run(binary, name):
    interface, output, args, status, said, facts = CASES[name]
    inputs = [(interface, output)] if name != "nasty" else NASTY
    for interface, output in inputs:
        with tempfile.TemporaryDirectory() as d:
            for f, data in (("in", interface), ("out", output)):
                open(os.path.join(d, f), "wb").write(data)
            p = subprocess.run([binary] + [a.format(d=d) for a in (args if args is not None else ["{d}/in", "{d}/out"])], capture_output=True, timeout=30)
        err = p.stderr.decode("utf-8", "replace")
        assert p.returncode == status or (name == "nasty" and p.returncode in (0, 1)), (p.returncode, err)
        assert said in err, err
        if status == 2: assert p.stdout == b"", "a picture after all"; continue
        svg = ET.fromstring(p.stdout)
        x, y, w, h = map(float, svg.get("viewBox").split())  # finite, and shown undistorted
        assert all(map(math.isfinite, (x, y, w, h))) and math.isclose(float(svg.get("width")) * h, float(svg.get("height")) * w), svg.attrib
        for fact in facts:
            assert fact(svg, err) is True or fact(svg, err) is None, (getattr(fact, "__name__", "fact"), fact(svg, err))

if __name__ == "__main__":
    if sys.argv[1:] == ["--list"]: sys.exit(print("\n".join(CASES)))
    try: run(sys.argv[2], sys.argv[3])
    except AssertionError as e: sys.exit("FAIL %s: %r" % (sys.argv[3], e.args))
    print("ok", sys.argv[3])
