#!/usr/bin/env python3
"""Lays out the web site around the built game: the page, the content pack with the list of
its files (the page fetches each file when the game first opens it), the service worker that
keeps the game for offline play, a web app manifest and icons, and the shipped font's
licence. The game's .js and .wasm are already in the site.

The page asks for the program and each content file under a URL that names its version
(`?v=` and a hash of the bytes), so a browser may keep them as long as it likes and still
never shows a stale game: a new build or a changed picture is a new URL. The service worker
names its version after the page and the content list, so that either changing is a new
version of the site for the browsers that keep it."""
import argparse
import concurrent.futures
import hashlib
import json
import os
import shutil
import subprocess
import sys

from PIL import Image

# What a browser installs the site as: Chromium's criteria (names, start URL, a display mode,
# icons of 192 and 512 pixels) and an icon whose picture survives any mask a launcher cuts.
MANIFEST = {
    "id": ".",
    "name": "Тимбурик",
    "short_name": "Тимбурик",
    "description": "Игра для детей, которые учат буквы: собери слово из букв",
    "lang": "ru",
    "dir": "ltr",
    "start_url": ".",
    "scope": ".",
    "display": "fullscreen",
    "display_override": ["fullscreen", "standalone"],
    "orientation": "landscape",
    "background_color": "#008000",
    "theme_color": "#008000",
    "categories": ["education", "games", "kids"],
    "prefer_related_applications": False,
    "icons": [
        {"src": "icon-192.png", "sizes": "192x192", "type": "image/png", "purpose": "any"},
        {"src": "icon-512.png", "sizes": "512x512", "type": "image/png", "purpose": "any"},
        {"src": "icon-maskable-192.png", "sizes": "192x192", "type": "image/png", "purpose": "maskable"},
        {"src": "icon-maskable-512.png", "sizes": "512x512", "type": "image/png", "purpose": "maskable"},
    ],
}

# Icons: file, size, and the share of its side the cover picture takes. A maskable icon's
# picture stays inside the middle circle (four fifths of the side across) that every mask
# keeps; iOS rounds the touch icon's corners itself and wants no transparency.
ICONS = [
    ("icon-192.png", 192, 0.8),
    ("icon-512.png", 512, 0.8),
    ("icon-maskable-192.png", 192, 0.55),
    ("icon-maskable-512.png", 512, 0.55),
    ("apple-touch-icon.png", 180, 0.8),
]


def content_files(data):
    """Every file of the content folder, relative, with '/' between parts, in a fixed order."""
    found = []
    for folder, dirs, files in os.walk(data):
        dirs.sort()
        for name in sorted(files):
            rel = os.path.relpath(os.path.join(folder, name), data)
            found.append(rel.replace(os.sep, "/"))
    return found


def version_of(path):
    """A short name for a file's bytes: the same bytes, the same version."""
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()[:16]


def copy_content(data, target):
    """Copies the content and lists it in index.txt: each file's path, a tab, its version."""
    if os.path.isdir(target):
        shutil.rmtree(target)
    shutil.copytree(data, target)
    files = content_files(target)
    for rel in files:
        if "\n" in rel or "\t" in rel:
            sys.exit(f"make_site: a content file name holds a line break or a tab: {rel!r}")
    with open(os.path.join(target, "index.txt"), "w", encoding="utf-8") as out:
        out.write("".join(f"{rel}\t{version_of(os.path.join(target, rel))}\n" for rel in files))
    return files


def versioned_page(page, site):
    """The page with the program's URLs naming the built program's version, and the
    program's size where the page asks for it (its progress bar)."""
    text = page
    for built in ("timburik.js", "timburik.wasm"):
        marked = f'"{built}"'
        if marked not in text:
            sys.exit(f"make_site: the page does not name {built}")
        text = text.replace(marked, f'"{built}?v={version_of(os.path.join(site, built))}"')
        text = text.replace(f'"@size of {built}@"', f'"{os.path.getsize(os.path.join(site, built))}"')
    return text


def site_version(page, content_list):
    """The site's version: the page (which names the program's version) and the content list
    (which names each file's)."""
    digest = hashlib.sha256()
    for part in (page, content_list):
        digest.update(part.encode("utf-8"))
        digest.update(b"\0")
    return digest.hexdigest()[:16]


def write_worker(template, site, version):
    """The service worker, naming the site's version."""
    with open(template, encoding="utf-8") as f:
        text = f.read()
    if "'@BUILD@'" not in text:
        sys.exit(f"make_site: {template} has no place for the version")
    with open(os.path.join(site, "sw.js"), "w", encoding="utf-8") as out:
        out.write(text.replace("'@BUILD@'", f"'{version}'"))


def write_icons(cover, site):
    """Icons from the cover picture, scaled without blurring its pixels away."""
    picture = Image.open(cover).convert("RGB")
    for name, size, share in ICONS:
        icon = Image.new("RGB", (size, size), (0, 128, 0))
        inner = int(size * share)
        scaled = picture.resize((inner, inner), Image.NEAREST)
        icon.paste(scaled, ((size - inner) // 2, (size - inner) // 2))
        icon.save(os.path.join(site, name), optimize=True)


# Compressed copies: each file of the site that gains from it gets FILE.br (brotli at its best)
# and FILE.gz (gzip -9) beside it, made once here rather than by the server at every request,
# for a server to send the copy the browser accepts (tools/web/serve.mjs; nginx's
# brotli_static and gzip_static). PNG and JPEG are compressed already; a copy that would not
# be smaller than its file is not kept.
ALREADY_COMPRESSED = (".png", ".jpg", ".jpeg", ".br", ".gz")
SMALLEST = 1024
ENCODINGS = (("br", ["brotli", "-q", "11", "-c", "-f"]), ("gz", ["gzip", "-9", "-n", "-c"]))


def compressible(site):
    """The site's files worth a compressed copy, relative to it."""
    found = []
    for folder, dirs, files in os.walk(site):
        dirs.sort()
        for name in sorted(files):
            path = os.path.join(folder, name)
            if not name.lower().endswith(ALREADY_COMPRESSED) and os.path.getsize(path) > SMALLEST:
                found.append(os.path.relpath(path, site))
    return found


def compress_copies(site, jobs=2):
    """Writes the compressed copies beside the site's files, replacing older ones, and removes
    an older copy that would no longer be smaller. Returns the copies kept. (The content folder
    is laid out anew at every build, so no copy outlives its file there.)"""
    def one(rel):
        path = os.path.join(site, rel)
        size, kept = os.path.getsize(path), []
        for suffix, command in ENCODINGS:
            with open(path, "rb") as source:
                packed = subprocess.run(command, stdin=source, capture_output=True, check=True).stdout
            copy = f"{path}.{suffix}"
            if len(packed) < size:
                with open(copy + ".part", "wb") as out:
                    out.write(packed)
                # The copy carries its file's time: a server can tell a copy of the file as it is
                # from one the file has since moved on from.
                st = os.stat(path)
                os.utime(copy + ".part", ns=(st.st_atime_ns, st.st_mtime_ns))
                os.replace(copy + ".part", copy)
                kept.append(f"{rel}.{suffix}")
            elif os.path.exists(copy):
                os.remove(copy)
        return kept
    wanted = compressible(site)
    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        kept = [copy for copies in pool.map(one, wanted) for copy in copies]
    return kept


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--data", required=True, help="the content folder")
    parser.add_argument("--site", required=True, help="the site folder, holding timburik.js and .wasm")
    parser.add_argument("--page", required=True, help="index.html to copy")
    parser.add_argument("--worker", help="the service worker to copy (default: sw.js beside the page)")
    parser.add_argument("--font-licence", required=True, help="the shipped font's copyright file")
    args = parser.parse_args()
    for built in ("timburik.js", "timburik.wasm"):
        if not os.path.isfile(os.path.join(args.site, built)):
            sys.exit(f"make_site: {built} is not in {args.site}: build the game first")
    if not os.path.isfile(os.path.join(args.data, "Words.str")):
        sys.exit(f"make_site: {args.data} holds no Words.str")
    files = copy_content(args.data, os.path.join(args.site, "content"))
    with open(args.page, encoding="utf-8") as f:
        page = versioned_page(f.read(), args.site)
    with open(os.path.join(args.site, "index.html"), "w", encoding="utf-8") as out:
        out.write(page)
    with open(os.path.join(args.site, "content", "index.txt"), encoding="utf-8") as f:
        version = site_version(page, f.read())
    write_worker(args.worker or os.path.join(os.path.dirname(args.page), "sw.js"), args.site, version)
    with open(os.path.join(args.site, "manifest.webmanifest"), "w", encoding="utf-8") as out:
        json.dump(MANIFEST, out, ensure_ascii=False, indent=2)
    write_icons(os.path.join(args.data, "pz91.bmp"), args.site)
    os.makedirs(os.path.join(args.site, "fonts"), exist_ok=True)
    shutil.copyfile(args.font_licence, os.path.join(args.site, "fonts", "DejaVu-LICENSE.txt"))
    copies = compress_copies(args.site)
    print(f"make_site: {len(files)} content files listed, version {version}; {len(copies)} compressed copies")


if __name__ == "__main__":
    main()
