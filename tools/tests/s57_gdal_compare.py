#!/usr/bin/env python3
"""Compares `tarnwick s57 dump CELL` with GDAL's S-57 driver on the same cell,
feature by feature: class, primitive, identity, every attribute, every vertex
within 1e-7 degrees and every sounding depth.

usage: s57_gdal_compare.py TARNWICK CELL CATALOGUE_FOLDER

GDAL assembles lines and rings from the edges its own way, so rings are
compared as closed sequences (any start, either direction) and lines as
sequences (either direction). GDAL keeps only the attributes of each class's
catalogue entry (matching names without regard to case, so an Inland ENC
class gets CATDIS as "catdis"), drops empty items of list values, keeps FIDN
as a signed 32-bit integer and adds the national attributes, which the SENC
leaves out: none of that is counted as a difference. Exits 1 with the
differences listed."""

import csv
import json
import os
import subprocess
import sys

TOLERANCE = 1e-7
# Values the cells hold that GDAL 3.6 leaves out without a warning: the Inland
# ENC list attribute catfry (17007) of these ferry routes (both hold "4").
GDAL_GAPS = {("5I7TEST1.000", 874, "catfry"), ("5I7IENC6.000", 91, "catfry")}
NOT_ATTRIBUTES = {"RCID", "PRIM", "GRUP", "OBJL", "RVER", "AGEN", "FIDN", "FIDS", "LNAM",
                  "LNAM_REFS", "FFPT_RIND"}


def load_catalogue(folder):
    types, national, by_acronym = {}, set(), {}
    with open(os.path.join(folder, "s57attributes.csv"), newline="") as f:
        for row in csv.DictReader(f):
            types[row["Acronym"]] = row["Attributetype"]
            if row["Class"] == "N":
                national.add(row["Acronym"])
    class_attributes = {}
    with open(os.path.join(folder, "s57objectclasses.csv"), newline="") as f:
        for row in csv.DictReader(f):
            names = set()
            for column in ("Attribute_A", "Attribute_B", "Attribute_C"):
                names |= {a for a in row[column].split(";") if a}
            class_attributes[int(row["Code"])] = names
    return types, national, class_attributes


def run(command, env=None):
    result = subprocess.run(command, capture_output=True, text=True, env=env)
    if result.returncode != 0:
        sys.exit(f"{' '.join(command)} failed: {result.stderr}")
    return [json.loads(line) for line in result.stdout.splitlines() if line.strip()]


def near(a, b):
    return abs(a[0] - b[0]) <= TOLERANCE and abs(a[1] - b[1]) <= TOLERANCE


def same_sequence(a, b):
    return len(a) == len(b) and all(near(p, q) for p, q in zip(a, b))


def same_ring(a, b):
    """Closed rings equal up to start point and direction."""
    a, b = a[:-1], b[:-1]
    if len(a) != len(b):
        return False
    if not a:
        return True
    for candidate in (b, b[::-1]):
        for shift in range(len(candidate)):
            if near(a[0], candidate[shift]) and same_sequence(a, candidate[shift:] + candidate[:shift]):
                return True
    return False


def match_all(ours, theirs, same):
    """Every one of ours pairs with a distinct one of theirs."""
    left = list(theirs)
    for item in ours:
        for i, other in enumerate(left):
            if same(item, other):
                del left[i]
                break
        else:
            return False
    return not left


def gdal_geometry(geometry):
    """(kind, parts) where kind is point, sounding, line or ring."""
    if geometry is None:
        return None, []
    kind, coords = geometry["type"], geometry["coordinates"]
    if kind == "Point":
        return "point", [[coords]]
    if kind == "MultiPoint":
        return "sounding", [coords]
    if kind == "LineString":
        return "line", [coords]
    if kind == "MultiLineString":
        return "line", coords
    if kind == "Polygon":
        return "ring", coords
    if kind == "MultiPolygon":
        return "ring", [ring for polygon in coords for ring in polygon]
    return kind, []


def compare_attributes(ours, theirs, types, national, allowed, gaps):
    problems = []
    for name, value in theirs["properties"].items():
        if name in NOT_ATTRIBUTES or name in national or value is None:
            continue
        mine = ours["attributes"].get(name)
        if mine is None:
            mine = next((v for k, v in ours["attributes"].items() if k.lower() == name.lower()), None)
        if mine is None:
            problems.append(f"{name}: missing (GDAL {value!r})")
            continue
        kind = types.get(name, "A")
        if isinstance(value, list):
            equal = [v for v in mine.split(",") if v] == [str(v) for v in value]
        elif kind in ("E", "I"):
            equal = int(mine) == value if mine.lstrip("-").isdigit() else False
        elif kind == "F":
            equal = abs(float(mine) - float(value)) <= 1e-9 * max(1.0, abs(float(value)))
        else:
            equal = mine == str(value)
        if not equal:
            problems.append(f"{name}: {mine!r} but GDAL {value!r}")
    for name, value in ours["attributes"].items():
        if value == "" or name.lower() in {k.lower() for k in theirs["properties"]} or name in gaps:
            continue
        if name in allowed and types.get(name) in ("E", "I", "F", "L", "A", "S"):
            problems.append(f"{name}: {value!r} not in GDAL")
    return problems


def compare_geometry(ours, theirs):
    kind, gdal_parts = gdal_geometry(theirs["geometry"])
    parts = ours["parts"]
    if kind is None:
        return [] if not parts else [f"{len(parts)} parts but GDAL has no geometry"]
    points = [p["points"] for p in parts]
    if kind == "point":
        ok = len(points) == 1 and len(points[0]) == 1 and near(points[0][0], gdal_parts[0][0])
        return [] if ok else [f"point {points} but GDAL {gdal_parts[0]}"]
    if kind == "sounding":
        if len(parts) != 1 or "depths" not in parts[0]:
            return ["sounding without one depth part"]
        gdal = gdal_parts[0]
        ok = len(gdal) == len(points[0]) and all(
            near(p, q[:2]) and abs(d - q[2]) <= 1e-9
            for p, d, q in zip(points[0], parts[0]["depths"], gdal))
        return [] if ok else ["soundings differ"]
    if kind == "line":
        ok = match_all(points, gdal_parts,
                       lambda a, b: same_sequence(a, b) or same_sequence(a, b[::-1]))
        return [] if ok else [f"{len(points)} lines differ from GDAL's {len(gdal_parts)}"]
    if kind == "ring":
        ok = match_all(points, gdal_parts, same_ring)
        interiors = sum(1 for p in parts if p["interior"])
        problems = [] if ok else [f"{len(points)} rings differ from GDAL's {len(gdal_parts)}"]
        if ok and theirs["geometry"]["type"] == "Polygon" and interiors != len(gdal_parts) - 1:
            problems.append(f"{interiors} interior rings, GDAL {len(gdal_parts) - 1}")
        return problems
    return [f"GDAL geometry {kind} not compared"]


def main():
    tarnwick, cell, catalogue = sys.argv[1:4]
    types, national, class_attributes = load_catalogue(catalogue)
    ours = {f["rcid"]: f for f in run([tarnwick, "s57", "dump", cell])}
    env = dict(os.environ, OGR_S57_OPTIONS=(
        "UPDATES=APPLY,SPLIT_MULTIPOINT=OFF,RETURN_PRIMITIVES=OFF,LNAM_REFS=ON"))
    theirs = [f for f in run(["ogr2ogr", "-f", "GeoJSONSeq", "-lco", "COORDINATE_PRECISION=12",
                              "/vsistdout/", cell], env) if "RCID" in f["properties"]]
    problems = []
    seen = set()
    for feature in theirs:
        props = feature["properties"]
        rcid = props["RCID"]
        seen.add(rcid)
        mine = ours.get(rcid)
        where = f"{os.path.basename(cell)} RCID {rcid} {mine['acronym'] if mine else props.get('OBJL')}"
        if mine is None:
            problems.append(f"{where}: not in our dump")
            continue
        identity = [(k, mine[k.lower()], props[k] % 2**32 if k == "FIDN" else props[k])
                    for k in ("OBJL", "PRIM", "AGEN", "FIDN", "FIDS")]
        problems += [f"{where}: {k} {a} but GDAL {b}" for k, a, b in identity if a != b]
        allowed = class_attributes.get(mine["objl"], set())
        gaps = {a for c, r, a in GDAL_GAPS if c == os.path.basename(cell) and r == rcid}
        problems += [f"{where}: {p}"
                     for p in compare_attributes(mine, feature, types, national, allowed, gaps)]
        problems += [f"{where}: {p}" for p in compare_geometry(mine, feature)]
    problems += [f"RCID {r}: only in our dump" for r in ours if r not in seen]
    for p in problems[:50]:
        print(p)
    print(f"{os.path.basename(cell)}: {len(theirs)} features compared, {len(problems)} differences")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
