#!/usr/bin/python3
"""Realistic screenshots for the PNG benchmarks, made on this machine at
benchmark time and never kept in git: headless Chromium (Debian's chromium)
renders local pages at the sizes of common screens, 1366 x 768 to 4K (4K as
a 1920 x 1080 window at twice the pixel density, as Windows scales it).

The pages: documentation that Debian installs under /usr/share/doc, a man
page in a dark terminal and one in a light viewer, this project's sources
in a code editor (dark and light), the installed packages as a table, a
photo-like picture, and a desktop of windows over that picture. The photo is
made here with Pillow (gradients, shapes, grain, soft focus) and stored as a
JPEG, so that Chromium shows what a decoded photo looks like.

Usage: bench_screenshots.py OUT_DIR   (writes OUT_DIR/<name>.png)
"""
import html
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

from PIL import Image, ImageDraw, ImageFilter

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync"]

KEYWORDS = set("""alignas auto bool break case catch char class const constexpr continue default delete do double
else enum explicit false for if inline int namespace noexcept nullptr operator private public return static
static_cast struct switch template this throw true try typename using void while""".split())


def page(body, style, title="page"):
    return (f"<!DOCTYPE html><html><head><meta charset='utf-8'><title>{title}</title>"
            f"<style>{style}</style></head><body>{body}</body></html>")


def man_page(name, dark):
    """A man page as `man` shows it, bold and underlined text included."""
    env = dict(os.environ, MANWIDTH="110", MAN_KEEP_FORMATTING="1", LANG="C.UTF-8")
    text = subprocess.run(["man", "-P", "cat", name], env=env, capture_output=True, text=True).stdout
    if not text:
        return None
    out = []
    for line in text.splitlines()[:400]:
        line = html.escape(line, quote=False)
        line = re.sub(r"((?:(.)\x08\2)+)", lambda m: "<b>" + m.group(1)[::3] + "</b>", line)
        line = re.sub(r"((?:_\x08[^\x08])+)", lambda m: "<u>" + m.group(1)[2::3] + "</u>", line)
        out.append(line.replace("\x08", ""))
    colours = ("background:#1e1e1e;color:#d4d4d4;" if dark else "background:#fdfdf8;color:#222;")
    style = (f"body{{margin:0;padding:6px 10px;{colours}font:14px 'DejaVu Sans Mono',monospace}}"
             f"b{{color:{'#fff' if dark else '#000'}}}u{{color:{'#8fd' if dark else '#05a'}}}pre{{margin:0}}")
    return page("<pre>" + "\n".join(out) + "</pre>", style, name)


def code_page(paths, dark):
    """Source files in an editor: line numbers, keywords, strings, comments."""
    rows = []
    n = 0
    for path in paths:
        for line in open(path, encoding="utf-8").read().splitlines():
            n += 1
            parts = re.split(r'(//.*$|"(?:[^"\\]|\\.)*"|\b\w+\b)', line)
            cells = []
            for p in parts:
                e = html.escape(p, quote=False)
                if p.startswith("//"):
                    cells.append(f"<i>{e}</i>")
                elif p.startswith('"'):
                    cells.append(f"<s>{e}</s>")
                elif p in KEYWORDS:
                    cells.append(f"<b>{e}</b>")
                else:
                    cells.append(e)
            rows.append(f"<tr><td class=n>{n}</td><td>{''.join(cells)}</td></tr>")
    if dark:
        colours = "body{background:#282c34;color:#abb2bf}b{color:#c678dd}s{color:#98c379}i{color:#7f848e}.n{color:#4b5263}"
    else:
        colours = "body{background:#fff;color:#24292e}b{color:#d73a49}s{color:#032f62}i{color:#6a737d}.n{color:#babbbc}"
    style = ("body{margin:0;font:13px/1.45 'DejaVu Sans Mono',monospace}table{border-collapse:collapse}"
             "td{white-space:pre;padding:0 8px}.n{text-align:right;user-select:none}"
             "b,s,i{font-weight:normal;font-style:normal;text-decoration:none}" + colours)
    return page("<table>" + "".join(rows) + "</table>", style, "code")


def package_table():
    out = subprocess.run(["dpkg-query", "-W", "-f", "${Package}\t${Version}\t${Architecture}\t${Installed-Size}\t"
                          "${binary:Summary}\n"], capture_output=True, text=True).stdout
    rows = "".join("<tr>" + "".join(f"<td>{html.escape(c)}</td>" for c in line.split("\t")) + "</tr>"
                   for line in out.splitlines()[:300])
    style = ("body{margin:0;font:13px 'DejaVu Sans',sans-serif;color:#202124}table{border-collapse:collapse;width:100%}"
             "th{background:#3c4043;color:#fff;text-align:left;padding:6px 8px;position:sticky;top:0}"
             "td{padding:4px 8px;border-bottom:1px solid #dadce0}tr:nth-child(even){background:#f1f3f4}"
             "td:nth-child(4){text-align:right;font-variant-numeric:tabular-nums}")
    head = "<tr><th>Package</th><th>Version</th><th>Arch</th><th>KiB</th><th>Summary</th></tr>"
    return page("<table>" + head + rows + "</table>", style, "packages")


def make_photo(path, w=2400, h=1600):
    """A landscape-like photo: sky, sun, hills with texture, grain, soft focus."""
    rnd = random.Random(22)
    sky = Image.linear_gradient("L").resize((w, h))
    img = Image.merge("RGB", (sky.point(lambda v: 70 + v * 0.5), sky.point(lambda v: 120 + v * 0.45),
                              sky.point(lambda v: 200 + v * 0.2)))
    draw = ImageDraw.Draw(img)
    draw.ellipse((w * 0.7, h * 0.12, w * 0.78, h * 0.24), fill=(255, 236, 190))
    for layer in range(5):
        base = h * (0.45 + 0.1 * layer)
        points = [(0, h)]
        y = base
        for x in range(0, w + 40, 40):
            y += rnd.uniform(-25, 25)
            points.append((x, y))
        points.append((w, h))
        shade = 40 + 25 * layer
        draw.polygon(points, fill=(shade // 2 + 20, shade + 40, shade // 3 + 10))
    for _ in range(2500):  # trees and rocks
        x, y, r = rnd.uniform(0, w), rnd.uniform(h * 0.55, h), rnd.uniform(2, 14)
        c = rnd.randint(20, 90)
        draw.ellipse((x - r, y - r, x + r, y + r), fill=(c // 2, c, c // 3))
    img = img.filter(ImageFilter.GaussianBlur(1.2))
    noise = Image.effect_noise((w, h), 18).convert("RGB")
    img = Image.blend(img, noise, 0.08)
    img.save(path, quality=88)


def desktop_page(photo, doc_text, code_lines):
    windows = [
        (60, 50, 900, 620, "Document", f"<div class=doc>{doc_text}</div>"),
        (700, 260, 980, 640, "Editor", "<pre>" + html.escape("\n".join(code_lines)) + "</pre>"),
        (300, 560, 620, 420, "Files", "".join(f"<div class=f>&#128196; {n}</div>" for n in sorted(os.listdir(ROOT)))),
    ]
    body = [f"<img class=bg src='{photo}'>"]
    for x, y, w, h, title, content in windows:
        body.append(f"<div class=w style='left:{x}px;top:{y}px;width:{w}px;height:{h}px'>"
                    f"<div class=t>{title}<span>&#8212; &#9633; &#10005;</span></div><div class=c>{content}</div></div>")
    body.append("<div class=bar>" + "".join(f"<span>{n}</span>" for n in
                                              ("Start", "Document", "Editor", "Files")) + "<em>12:34</em></div>")
    style = ("body{margin:0;overflow:hidden;font:13px 'DejaVu Sans',sans-serif}"
             ".bg{position:fixed;width:100%;height:100%;object-fit:cover}"
             ".w{position:absolute;background:#fff;border:1px solid #888;box-shadow:0 8px 24px rgba(0,0,0,.45);overflow:hidden}"
             ".t{background:#2b579a;color:#fff;padding:6px 10px}.t span{float:right;letter-spacing:8px}"
             ".c{padding:8px;height:100%;overflow:hidden}.doc{column-count:2;font-size:12px;line-height:1.4}"
             "pre{margin:0;background:#1e1e1e;color:#dcdcaa;font:12px monospace;padding:6px;height:100%}"
             ".f{padding:3px 6px;border-bottom:1px solid #eee}"
             ".bar{position:fixed;bottom:0;width:100%;height:40px;background:#1f2a38;color:#fff}"
             ".bar span{display:inline-block;padding:11px 18px;background:#2e3d52;margin-right:4px}"
             ".bar em{float:right;padding:11px 18px;font-style:normal}")
    return page("".join(body), style, "desktop")


def main():
    out = os.path.abspath(sys.argv[1])
    pages = os.path.join(out, "pages")
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(pages)
    photo = os.path.join(pages, "photo.jpg")
    make_photo(photo)

    def write(name, text):
        path = os.path.join(pages, name + ".html")
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        return path

    # (screenshot name, page, window size, pixel density)
    shots = []
    docs = [("doc-bzip2", "/usr/share/doc/bzip2/manual.html", (1920, 1080), 1),
            ("doc-gcc-news", "/usr/share/doc/gcc-12/NEWS.html", (1366, 768), 1),
            ("doc-fontconfig", "/usr/share/doc/fontconfig/fontconfig-user.html", (1920, 1080), 2),
            ("doc-bc", "/usr/share/doc/bc/bc.html", (2560, 1440), 1)]
    shots += [d for d in docs if os.path.exists(d[1])]
    for name, man, dark, size, scale in (("man-bash-terminal", "bash", True, (1920, 1080), 1),
                                         ("man-tar-viewer", "tar", False, (2560, 1440), 1)):
        text = man_page(man, dark)
        if text:
            shots.append((name, write(name, text), size, scale))
    sources = [os.path.join(ROOT, p) for p in ("imaging/png_filters.cpp", "imaging/png_encoder.cpp")]
    shots.append(("code-dark", write("code-dark", code_page(sources, True)), (1920, 1080), 1))
    shots.append(("code-light-4k", write("code-light", code_page(sources[::-1], False)), (1920, 1080), 2))
    shots.append(("table-packages", write("table", package_table()), (1920, 1080), 1))
    shots.append(("photo", write("photo", page(f"<img src='{photo}'>",
                                               "body{margin:0}img{width:100vw;height:100vh;object-fit:cover}")),
                  (1920, 1080), 1))
    doc_text = html.escape(open(os.path.join(ROOT, "README.md"), encoding="utf-8").read()[:6000])
    code_lines = open(sources[0], encoding="utf-8").read().splitlines()[:80]
    desktop = write("desktop", desktop_page(photo, doc_text, code_lines))
    shots.append(("desktop", desktop, (1920, 1080), 1))
    shots.append(("desktop-4k", desktop, (1920, 1080), 2))

    for name, source, (w, h), scale in shots:
        profile = tempfile.mkdtemp(prefix="varnel-chromium-")
        try:
            subprocess.run(["chromium", *CHROMIUM_FLAGS, f"--user-data-dir={profile}", "--hide-scrollbars",
                            f"--window-size={w},{h}", f"--force-device-scale-factor={scale}",
                            f"--screenshot={os.path.join(out, name + '.png')}", "file://" + source],
                           check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
        finally:
            shutil.rmtree(profile, ignore_errors=True)
        with Image.open(os.path.join(out, name + ".png")) as im:
            print(f"screenshot: {name:20} {im.size[0]}x{im.size[1]}")


if __name__ == "__main__":
    main()
