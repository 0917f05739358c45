#!/usr/bin/env python3
"""Kestrova.chm is a compiled help file whose directory lists the written pages, one page for every
setting of the Manager's settings tree, the contents file and the style sheet; read back with the
archive's own directory (chm_pages.py), not with the compiler that wrote it.

  help_test.py SOURCE_ROOT Kestrova.chm
"""
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
import chm_pages  # noqa: E402
import make_help  # noqa: E402


def main(argv):
    root, chm = Path(argv[1]), Path(argv[2])
    names = set(chm_pages.list_names(chm.read_bytes()))
    settings = make_help.read_settings(root)
    expected = ["/" + name for name, _ in make_help.WRITTEN_PAGES]
    expected += ["/" + s[4] for s in settings if not (s[1] and s[0] == 0)]
    expected += ["/Kestrova.hhc", "/style.css", "/#SYSTEM"]
    missing = [name for name in expected if name not in names]
    for name in expected:
        print(("ok: " if name in names else "FAIL: missing ") + name)
    # Every setting a user can change has its own page; the schema has dozens of them.
    setting_pages = [s for s in settings if not s[1]]
    print(f"{len(setting_pages)} settings, {len(names)} files in the archive")
    if len(setting_pages) < 40:
        print("FAIL: fewer settings than the tree holds")
        return 1
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
