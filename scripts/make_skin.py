#!/usr/bin/env python3
"""Builds a binary .she skin file from its text source.

Usage: make_skin.py SOURCE.txt OUTPUT.she [--truncate N]

--truncate N drops the last N bytes of the result: a damaged file for the
tests. The layout written here is the one skin/lib/skin_file.cpp reads.
"""
import re
import struct
import sys
import zlib

VERSION = 1
HEADER = 36
COLOURS = {"dialog_top": 1, "dialog_bottom": 2, "text": 3, "disabled_text": 4,
           "edit_back": 5, "edit_text": 6, "readonly_back": 7, "gloss": 8}
METRICS = {"gloss_height": (1, 1, 64), "caption_padding": (2, 0, 16)}
KINDS = {"groupbox": 1, "button": 2, "edit": 3}
ELEMENT_KEYS = {"kind", "auto", "frame", "face", "face2", "text", "radius",
                "border"}


class SkinError(Exception):
    pass


def colour(text, where):
    if not re.fullmatch(r"#[0-9A-Fa-f]{6}", text):
        raise SkinError(f"{where}: colour must be #RRGGBB, not {text!r}")
    return int(text[1:], 16)


def number(text, lo, hi, where):
    try:
        value = int(text, 10)
    except ValueError:
        raise SkinError(f"{where}: not a whole number: {text!r}") from None
    if not lo <= value <= hi:
        raise SkinError(f"{where}: {value} is outside {lo}..{hi}")
    return value


def read_source(path):
    """Returns {section: ({key: value}, first line)} in file order."""
    sections, current = {}, None
    with open(path, encoding="utf-8") as f:
        for n, raw in enumerate(f, 1):
            line = raw.strip()
            # Whole-line comments only: '#' also starts a colour.
            if not line or line.startswith("#"):
                continue
            where = f"{path}:{n}"
            m = re.fullmatch(r"\[([^\]]+)\]", line)
            if m:
                current = m.group(1).strip()
                if current in sections:
                    raise SkinError(f"{where}: section [{current}] repeated")
                sections[current] = ({}, where)
                continue
            m = re.fullmatch(r"([A-Za-z_0-9]+)\s*=\s*(\S+)", line)
            if not m or current is None:
                raise SkinError(f"{where}: expected 'key = value' in a section")
            key, value = m.groups()
            if key in sections[current][0]:
                raise SkinError(f"{where}: {key} repeated")
            sections[current][0][key] = (value, where)
    return sections


def build(sections):
    colours, metrics, elements = [], [], []
    for name, (keys, where) in sections.items():
        if name == "colours":
            for key, (value, at) in keys.items():
                if key not in COLOURS:
                    raise SkinError(f"{at}: unknown colour {key}")
                colours.append(struct.pack("<HHI", COLOURS[key], 0, colour(value, at)))
        elif name == "metrics":
            for key, (value, at) in keys.items():
                if key not in METRICS:
                    raise SkinError(f"{at}: unknown metric {key}")
                mid, lo, hi = METRICS[key]
                metrics.append(struct.pack("<HHi", mid, 0, number(value, lo, hi, at)))
        elif re.fullmatch(r"element \d+", name):
            eid = number(name.split()[1], 1, 0xFFFFFFFF, where)
            unknown = set(keys) - ELEMENT_KEYS
            if unknown:
                raise SkinError(f"{where}: unknown key(s) {sorted(unknown)}")
            missing = ELEMENT_KEYS - {"auto"} - set(keys)
            if missing:
                raise SkinError(f"{where}: missing {sorted(missing)}")
            kind, at = keys["kind"]
            if kind not in KINDS:
                raise SkinError(f"{at}: kind must be one of {sorted(KINDS)}")
            auto = keys.get("auto", ("no", where))
            if auto[0] not in ("yes", "no"):
                raise SkinError(f"{auto[1]}: auto must be yes or no")
            elements.append(struct.pack(
                "<IHHIIIIBBH", eid, KINDS[kind], 1 if auto[0] == "yes" else 0,
                colour(*keys["frame"]), colour(*keys["face"]),
                colour(*keys["face2"]), colour(*keys["text"]),
                number(keys["radius"][0], 0, 24, keys["radius"][1]),
                number(keys["border"][0], 1, 4, keys["border"][1]),
                0))
        else:
            raise SkinError(f"{where}: unknown section [{name}]")

    body = b"".join(colours) + b"".join(metrics) + b"".join(elements)
    colours_at = HEADER
    metrics_at = colours_at + 8 * len(colours)
    elements_at = metrics_at + 8 * len(metrics)
    length = HEADER + len(body)
    tail = struct.pack("<HHIIHHI", len(colours), len(metrics), colours_at,
                       metrics_at, len(elements), 0, elements_at) + body
    return struct.pack("<4sHHII", b".SHE", VERSION, 0, length, zlib.crc32(tail)) + tail


def main(argv):
    args = argv[1:]
    truncate = 0
    if len(args) == 4 and args[2] == "--truncate":
        truncate = int(args[3])
        args = args[:2]
    if len(args) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        data = build(read_source(args[0]))
    except (OSError, SkinError) as e:
        print(f"make_skin: {e}", file=sys.stderr)
        return 1
    if truncate:
        data = data[:max(len(data) - truncate, 4)]
    with open(args[1], "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
