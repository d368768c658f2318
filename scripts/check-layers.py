#!/usr/bin/env python3
"""Checks that the includes of src/ run one way, down the layers.

Every `#include "x/..."` in src/ is compared with the layer table below. A
library may include its own folder and the libraries of lower layers; a
gui/ folder sits above its own library and may also include the gui/
folders of lower layers. Libraries of one layer do not include each other,
and no library includes a gui/ folder (the toolkit stays in gui/).

  scripts/check-layers.py            prints each upward include; fails if any
  scripts/check-layers.py --report   prints them and succeeds
  scripts/check-layers.py --root DIR checks DIR/src instead of this tree's
"""
import pathlib
import re
import sys

# Lowest first; the folders of one layer are siblings.
LAYERS = [
    ["core"],
    ["platform"],
    ["store"],
    ["editor", "reports", "update", "schedule"],
    ["app"],
    ["cli"],
]
RANK = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def place(parts):
    """(layer folder, is gui) of a path below src/, or None outside the table."""
    if not parts or parts[0] not in RANK:
        return None
    return parts[0], "gui" in parts[1:-1]


def allowed(source, target):
    (src_folder, src_gui), (dst_folder, dst_gui) = source, target
    if dst_gui and not src_gui:
        return False
    if dst_folder == src_folder:
        return src_gui or not dst_gui
    return RANK[dst_folder] < RANK[src_folder]


def main(argv):
    report_only = "--report" in argv[1:]
    root = pathlib.Path(__file__).resolve().parent.parent
    if "--root" in argv[1:]:
        root = pathlib.Path(argv[argv.index("--root") + 1])
    root = root / "src"
    upward = []
    for path in sorted(root.rglob("*")):
        if path.suffix not in (".h", ".hpp", ".cpp", ".cc", ".c") or not path.is_file():
            continue
        source = place(path.relative_to(root).parts)
        if source is None:
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = place(pathlib.PurePosixPath(match.group(1)).parts)
            if target is not None and not allowed(source, target):
                upward.append(f"src/{path.relative_to(root)}:{number}: {match.group(1)}")
    for line in upward:
        print(line)
    print(f"{len(upward)} upward include(s)", file=sys.stderr)
    return 0 if report_only or not upward else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
