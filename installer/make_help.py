#!/usr/bin/env python3
"""Lays out the HTML Help project of Kestrova.chm: the written pages of installer/help, and one page
for every setting of the Manager's settings tree, built from the tree itself (manager/src/
SettingsSchema.cpp) and the Manager's English captions and help texts (manager/include/
UmanagTextList.inc), so the help names each setting as the settings dialog does.

  make_help.py SOURCE_ROOT OUT     writes OUT/Kestrova.hhp, its contents file and every page
"""
import html
import re
import shutil
import sys
from pathlib import Path

WRITTEN_PAGES = [  # (file, title in the contents), in the order of the contents
    ("index.html", "Kestrova"),
    ("main.html", "The main window"),
    ("browser.html", "The image browser"),
    ("settings.html", "Settings"),
    ("screensaver.html", "The screen saver"),
    ("uninstall.html", "Removing Kestrova"),
]
C_STRING = r'"(?:[^"\\\n]|\\.)*"'
TEXT = re.compile(r"KV_MANAGER_TEXT\((glm_\w+),\s*(" + C_STRING + r")\)")
ROW = re.compile(r"\{\s*&k\w+Section,\s*(\d+),\s*(st\w+),\s*(?:KV_MEMBER\([^)]*\)|\w+),\s*(glm_\w+),")


def c_string_value(literal):
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "t": "\t"}.get(m.group(1), m.group(1)), literal[1:-1])


def read_settings(root):
    """[(level, is_heading, caption, help text or None, page name)] in the order of the tree."""
    texts = {key: c_string_value(literal)
             for key, literal in TEXT.findall((root / "manager/include/UmanagTextList.inc").read_text())}
    rows = ROW.findall((root / "manager/src/SettingsSchema.cpp").read_text())
    if not rows:
        sys.exit("make_help.py: no rows found in the settings schema")
    settings = []
    for level, kind, key in rows:
        if key not in texts:
            sys.exit(f"make_help.py: the settings tree names {key}, which has no English text")
        page = "settings_" + key[len("glm_"):] + ".html"
        settings.append((int(level), kind == "stHeading", texts[key], texts.get(key + "Help"), page))
    return settings


def page(title, body):
    return (f'<html><head><title>{html.escape(title)}</title><link rel="stylesheet" href="style.css"></head>\n'
            f"<body>\n<h1>{html.escape(title)}</h1>\n{body}</body></html>\n")


def write_settings_pages(settings, out):
    items, section = [], None
    for level, heading, caption, help_text, name in settings:
        if level == 0:
            section = caption
        if heading and level == 0:
            items.append(f"<h2>{html.escape(caption)}</h2>")
            if help_text:
                items.append(f"<p>{html.escape(help_text)}</p>")
            continue
        indent = "&nbsp;" * 4 * (level - 1)
        items.append(f'<p>{indent}<a href="{name}">{html.escape(caption)}</a></p>')
        body = f'<p class="note">Settings, {html.escape(section or "")}</p>\n'
        body += f"<p>{html.escape(help_text)}</p>\n" if help_text else \
            "<p>The settings below this one in the tree belong to it.</p>\n"
        body += '<p><a href="settings.html">All settings</a></p>\n'
        (out / name).write_text(page(caption, body), encoding="cp1252")
    intro = ("<p>The settings dialog of the Manager (<b>Settings...</b> in the main window) shows every "
             "setting in a tree. Select a setting to change its value; its help text appears below the "
             "tree. <b>OK</b> saves the settings, and the Agent uses them from its next start.</p>\n")
    (out / "settings.html").write_text(page("Settings", intro + "\n".join(items) + "\n"), encoding="cp1252")


def write_project(settings, out):
    files = [name for name, _ in WRITTEN_PAGES] + [s[4] for s in settings if not (s[1] and s[0] == 0)]
    (out / "Kestrova.hhp").write_text(
        "[OPTIONS]\nCompiled file=Kestrova.chm\nContents file=Kestrova.hhc\nDefault topic=index.html\n"
        "Title=Kestrova Help\nLanguage=0x409 English (United States)\n\n[FILES]\n"
        + "\n".join(files + ["style.css"]) + "\n", encoding="cp1252")

    def entry(title, local):
        return (f'<LI> <OBJECT type="text/sitemap"><param name="Name" value="{html.escape(title)}">'
                f'<param name="Local" value="{local}"></OBJECT>\n')

    toc = ['<HTML><BODY><OBJECT type="text/site properties"></OBJECT>\n<UL>\n']
    for name, title in WRITTEN_PAGES:
        toc.append(entry(title, name))
        if name == "settings.html":
            toc.append("<UL>\n")
            for level, heading, caption, _, local in settings:
                if not (heading and level == 0):
                    toc.append(entry(caption, local))
            toc.append("</UL>\n")
    toc.append("</UL>\n</BODY></HTML>\n")
    (out / "Kestrova.hhc").write_text("".join(toc), encoding="cp1252")


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__)
    root, out = Path(argv[1]), Path(argv[2])
    if out.exists():
        shutil.rmtree(out)
    out.mkdir(parents=True)
    for written in (root / "installer/help").iterdir():
        shutil.copy(written, out / written.name)
    settings = read_settings(root)
    write_settings_pages(settings, out)
    write_project(settings, out)


if __name__ == "__main__":
    main(sys.argv)
