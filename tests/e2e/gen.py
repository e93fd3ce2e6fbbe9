"""Helpers for the make_input scripts of golden cases whose inputs are too
large to keep in the repository."""


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)


def lines(count, line=b"x\n"):
    return line * count
